// Item roles of the kit's views, by number.
#pragma once

namespace ItemRoles {
constexpr int kChoices = 132;      // QStringList: the cell's choices; makes its editor a combo box
constexpr int kChosenIndex = 133;  // int: written by the combo editor
constexpr int kIconCell = 134;     // bool: icon-only cell (true draws the icon); a button cell in tables
constexpr int kIconOffset = 135;   // bool: moves an icon cell's icon 4 right and 2 down
constexpr int kDateTime = 137;     // QDateTime: makes its editor a date-time editor
constexpr int kDate = 138;         // QDate: makes its editor a date editor
}  // namespace ItemRoles
