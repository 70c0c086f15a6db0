// The settings page's rules, free of widgets: the default of each setting, how a stored value is
// shown, which edits count as a change, the free-space check of a folder and the seeding of the
// store at start-up.
#pragma once

#include <QString>
#include <QStringList>

class CSettingsManager;

namespace SettingsPage {

constexpr int kCount = 6;

// True for the three folder settings (index 1, 3 and 5).
bool IsPathKey(int index);
// The default value of a setting: "0" (JPEG), "1" (128MB) or the default output folder.
QString DefaultValue(int index);
// The folder as the page shows it and every output uses it: the stored text, or the default
// output folder when it is empty or a Windows drive path; always ending with "/".
QString ShownPath(const QString& stored);
// The combo item (its data) for a stored combo value: the value when it is one of `choices`, else
// the setting's default (an unknown or broken value never leaves the combo empty).
int ComboDataFor(int index, const QString& stored);
// The index of the first setting whose edit differs from the stored value, or -1.
int FirstChanged(const QStringList& stored, const QStringList& edits);

// The free space of a folder as the save checks it.
enum class Space { Enough, Low, Unknown };
// The folder edited for the folder setting `index`, checked by the rule every output of that
// setting obeys (CheckSavePathDiskSpace with SavePathMinFreeGB; its nearest existing ancestor is
// asked). Unknown when the folder cannot be asked.
Space CheckFolderSpace(const QString& folder, int index);

// Puts a default item into the store for every setting it lacks, so that snapshots, clips and
// downloads use the same folders as the page shows from the first start. Nothing is written.
void SeedDefaults(CSettingsManager& store);

}  // namespace SettingsPage
