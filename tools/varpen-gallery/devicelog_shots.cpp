// Shots of the log page: the page with a list of found logs, the backup dialog, the progress.
#include "tools/varpen-gallery/Gallery.h"

#include "devicelog/LocalLogWidget.h"
#include "devicelog/LogBackup.h"
#include "devicelog/LogListModel.h"
#include "devicelog/LogRows.h"
#include "widgets/CPathComboBox.h"
#include "widgets/CalendarWidget.h"
#include "widgets/DateTimeEdit.h"

#include <QComboBox>
#include <QProgressBar>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

QWidget* LogPage()
{
    auto* page = new CLocalLogWidget();
    page->resize(1006, 678);
    const Ui::CLogWidgetClass& ui = page->Form();
    ui.m_pMainTypecomboBox->setCurrentIndex(ui.m_pMainTypecomboBox->findData(3));
    ui.m_pLogStartDateTimeEdit->setDateTime(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 0)));
    ui.m_pLogStopDateTimeEdit->setDateTime(QDateTime(QDate(2024, 3, 6), QTime(23, 59, 59)));
    static const unsigned kMinors[][2] = {{3, 0x41}, {3, 0x50}, {3, 0x51}, {1, 0x3},  {2, 0x21}, {3, 0x70},
                                          {4, 0xA1}, {3, 0x52}, {2, 0x27}, {3, 0x7A}, {1, 0x1},  {3, 0x42}};
    static const char* const kLocal[] = {"admin", "operator", "", "guest"};
    static const char* const kRemote[] = {"", "remote01", "audit", ""};
    std::vector<DR_LogRecord> records;
    for (int i = 0; i < 24; ++i) {
        DR_LogRecord r{};
        std::snprintf(r.time, sizeof(r.time), "20240305%02d%02d%02d", 8 + i / 4, (i * 7) % 60, (i * 13) % 60);
        r.major_type = kMinors[i % 12][0];
        r.minor_type = kMinors[i % 12][1];
        std::strncpy(r.local_operator, kLocal[i % 4], sizeof(r.local_operator) - 1);
        std::strncpy(r.remote_operator, kRemote[i % 4], sizeof(r.remote_operator) - 1);
        r.remote_host = r.remote_operator[0] ? (192u << 24) | (168u << 16) | (1u << 8) | unsigned(20 + i) : 0;
        r.channel = std::uint8_t(1 + i % 8);
        r.disk = std::uint8_t(1 + i % 2);
        r.alarm_input = std::uint8_t(i % 4);
        records.push_back(r);
    }
    page->ListModel()->Append({LogRowBuilder().Build(records.data(), int(records.size()), 1)});
    return page;
}

QWidget* Backup()
{
    auto* dialog = new CLogBackup();
    dialog->PathBox()->addItem(QStringLiteral("/home/operator/logs-20240305.xml"));
    return dialog;
}

QWidget* Progress()
{
    auto* dialog = new CLogSearchProgress();
    dialog->Bar()->setValue(40);
    return dialog;
}

const Gallery::Register kDeviceLogShots{
    {QStringLiteral("CLocalLogWidget"), LogPage},
    {QStringLiteral("CLogBackup"), Backup},
    {QStringLiteral("CLogSearchProgress"), Progress},
};

}  // namespace
