#include "devicelog/LogTrans.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

namespace {

struct CodeText {
    unsigned int code;
    const char* text;
};

// Major types.
const CodeText kMajorTypes[] = {
    {unsigned(LogMajorType::Alarm), QT_TRANSLATE_NOOP("QObject", "Alarm")},
    {unsigned(LogMajorType::Exception), QT_TRANSLATE_NOOP("QObject", "Exception")},
    {unsigned(LogMajorType::Operation), QT_TRANSLATE_NOOP("QObject", "Operation")},
    {unsigned(LogMajorType::Information), QT_TRANSLATE_NOOP("QObject", "Information")},
};

// Minor types, in ascending code order (looked up by binary search).
const CodeText kMinorTypes[] = {
    {0x1, QT_TRANSLATE_NOOP("QObject", "Alarm Input")},
    {0x2, QT_TRANSLATE_NOOP("QObject", "Alarm Output")},
    {0x3, QT_TRANSLATE_NOOP("QObject", "Motion Detection Starts")},
    {0x4, QT_TRANSLATE_NOOP("QObject", "Motion Detection Stops")},
    {0x5, QT_TRANSLATE_NOOP("QObject", "Video Tampering Starts")},
    {0x6, QT_TRANSLATE_NOOP("QObject", "Video Tampering Stops")},
    {0x7, QT_TRANSLATE_NOOP("QObject", "VCA Alarm Starts")},
    {0x8, QT_TRANSLATE_NOOP("QObject", "VCA Alarm Stops")},
    {0x9, QT_TRANSLATE_NOOP("QObject", "ITS Alarm Starts")},
    {0xA, QT_TRANSLATE_NOOP("QObject", "ITS Alarm Stops")},
    {0x21, QT_TRANSLATE_NOOP("QObject", "Video Lost")},
    {0x22, QT_TRANSLATE_NOOP("QObject", "Illegal Access")},
    {0x23, QT_TRANSLATE_NOOP("QObject", "HDD Full")},
    {0x24, QT_TRANSLATE_NOOP("QObject", "HDD Fault")},
    {0x25, QT_TRANSLATE_NOOP("QObject", "DCD Lost")},
    {0x26, QT_TRANSLATE_NOOP("QObject", "IP Address Conflict")},
    {0x27, QT_TRANSLATE_NOOP("QObject", "Network Broken")},
    {0x28, QT_TRANSLATE_NOOP("QObject", "Record Fault")},
    {0x29, QT_TRANSLATE_NOOP("QObject", "IPC Link Disconnect")},
    {0x2A, QT_TRANSLATE_NOOP("QObject", "Video Input Exception")},
    {0x2B, QT_TRANSLATE_NOOP("QObject", "IPC Address Conflict")},
    {0x31, QT_TRANSLATE_NOOP("QObject", "shipin zonghe pingtai")},
    {0x32, QT_TRANSLATE_NOOP("QObject", "shipin zonghe pingtai")},
    {0x33, QT_TRANSLATE_NOOP("QObject", "shipin zonghe pingtai")},
    {0x34, QT_TRANSLATE_NOOP("QObject", "shipin zonghe pingtai")},
    {0x35, QT_TRANSLATE_NOOP("QObject", "shipin zonghe pingtai")},
    {0x36, QT_TRANSLATE_NOOP("QObject", "shipin zonghe pingtai")},
    {0x37, QT_TRANSLATE_NOOP("QObject", "shipin zonghe pingtai")},
    {0x41, QT_TRANSLATE_NOOP("QObject", "Turn On")},
    {0x42, QT_TRANSLATE_NOOP("QObject", "Trun Off")},
    {0x43, QT_TRANSLATE_NOOP("QObject", "Illegal Shutdown")},
    {0x44, QT_TRANSLATE_NOOP("QObject", "Local Reboot Device")},
    {0x50, QT_TRANSLATE_NOOP("QObject", "Local Login")},
    {0x51, QT_TRANSLATE_NOOP("QObject", "Local Logout")},
    {0x52, QT_TRANSLATE_NOOP("QObject", "Local Settings")},
    {0x53, QT_TRANSLATE_NOOP("QObject", "Local Playback by File")},
    {0x54, QT_TRANSLATE_NOOP("QObject", "Local Playback by Time")},
    {0x55, QT_TRANSLATE_NOOP("QObject", "Local Start Recording")},
    {0x56, QT_TRANSLATE_NOOP("QObject", "Local Stop Recording")},
    {0x57, QT_TRANSLATE_NOOP("QObject", "Local PTZ Control")},
    {0x58, QT_TRANSLATE_NOOP("QObject", "Local Preview")},
    {0x59, QT_TRANSLATE_NOOP("QObject", "Local Configuration Time")},
    {0x5A, QT_TRANSLATE_NOOP("QObject", "Local Upgrade")},
    {0x5B, QT_TRANSLATE_NOOP("QObject", "Local Export Recording Files")},
    {0x5C, QT_TRANSLATE_NOOP("QObject", "Local Formating HDD")},
    {0x5D, QT_TRANSLATE_NOOP("QObject", "Local Export Config File")},
    {0x5E, QT_TRANSLATE_NOOP("QObject", "Local Import Config File")},
    {0x5F, QT_TRANSLATE_NOOP("QObject", "Local Backup File")},
    {0x60, QT_TRANSLATE_NOOP("QObject", "Local Lock Recording Files")},
    {0x61, QT_TRANSLATE_NOOP("QObject", "Local Unlock Recording Files")},
    {0x62, QT_TRANSLATE_NOOP("QObject", "Manually Clear and Trigger Alarm Locally")},
    {0x63, QT_TRANSLATE_NOOP("QObject", "Local Add IPC")},
    {0x64, QT_TRANSLATE_NOOP("QObject", "Local Delete IPC")},
    {0x65, QT_TRANSLATE_NOOP("QObject", "Local Configure IPC")},
    {0x66, QT_TRANSLATE_NOOP("QObject", "Local Start Backup")},
    {0x67, QT_TRANSLATE_NOOP("QObject", "Local Stop Backup")},
    {0x68, QT_TRANSLATE_NOOP("QObject", "Local Backup Start Time")},
    {0x69, QT_TRANSLATE_NOOP("QObject", "Local Backup End Time")},
    {0x6A, QT_TRANSLATE_NOOP("QObject", "Add Local Net Disk")},
    {0x6B, QT_TRANSLATE_NOOP("QObject", "Delete Local Net Disk")},
    {0x6C, QT_TRANSLATE_NOOP("QObject", "Configure Local Net Disk")},
    {0x70, QT_TRANSLATE_NOOP("QObject", "Remote Login")},
    {0x71, QT_TRANSLATE_NOOP("QObject", "Remote Logout")},
    {0x72, QT_TRANSLATE_NOOP("QObject", "Remote Start Recording")},
    {0x73, QT_TRANSLATE_NOOP("QObject", "Stop Start Recording")},
    {0x74, QT_TRANSLATE_NOOP("QObject", "Establish Transparent Channel")},
    {0x75, QT_TRANSLATE_NOOP("QObject", "Disconnect Transparent Channel")},
    {0x76, QT_TRANSLATE_NOOP("QObject", "Get Parameters Remotely")},
    {0x77, QT_TRANSLATE_NOOP("QObject", "Set Parameters Remotely")},
    {0x78, QT_TRANSLATE_NOOP("QObject", "Get Status Remotely")},
    {0x79, QT_TRANSLATE_NOOP("QObject", "Arm Software Remotely")},
    {0x7A, QT_TRANSLATE_NOOP("QObject", "Disarm Software Remotely")},
    {0x7B, QT_TRANSLATE_NOOP("QObject", "Remote Reboot")},
    {0x7C, QT_TRANSLATE_NOOP("QObject", "Voice Talking Starts")},
    {0x7D, QT_TRANSLATE_NOOP("QObject", "Voice Talking Ends")},
    {0x7E, QT_TRANSLATE_NOOP("QObject", "Remote Upgrade")},
    {0x7F, QT_TRANSLATE_NOOP("QObject", "Playback by File Remotely")},
    {0x80, QT_TRANSLATE_NOOP("QObject", "Playback by Time Remotely")},
    {0x81, QT_TRANSLATE_NOOP("QObject", "PTZ Control Remotely")},
    {0x82, QT_TRANSLATE_NOOP("QObject", "Remote Format HDD")},
    {0x83, QT_TRANSLATE_NOOP("QObject", "Remote Shutdown")},
    {0x84, QT_TRANSLATE_NOOP("QObject", "Remote Lock File")},
    {0x85, QT_TRANSLATE_NOOP("QObject", "Remote Unlock File")},
    {0x86, QT_TRANSLATE_NOOP("QObject", "Remote Export Config File")},
    {0x87, QT_TRANSLATE_NOOP("QObject", "Remote Import Config File")},
    {0x88, QT_TRANSLATE_NOOP("QObject", "Export Recording Files Remotely")},
    {0x89, QT_TRANSLATE_NOOP("QObject", "Remote Manual Alarm")},
    {0x8A, QT_TRANSLATE_NOOP("QObject", "Remote Add IPC")},
    {0x8B, QT_TRANSLATE_NOOP("QObject", "Remote Delete IPC")},
    {0x8C, QT_TRANSLATE_NOOP("QObject", "Remote Configure IPC")},
    {0x8D, QT_TRANSLATE_NOOP("QObject", "Intelligent LIB Restart")},
    {0x8E, QT_TRANSLATE_NOOP("QObject", "Add Net Disk Remotely")},
    {0x8F, QT_TRANSLATE_NOOP("QObject", "Delete Net Disk Remotely")},
    {0x90, QT_TRANSLATE_NOOP("QObject", "Configure Net Disk Remotely")},
    {0x91, QT_TRANSLATE_NOOP("QObject", "shen xun zhuan yong")},
    {0x92, QT_TRANSLATE_NOOP("QObject", "shen xun zhuan yong")},
    {0x93, QT_TRANSLATE_NOOP("QObject", "shen xun zhuan yong")},
    {0x94, QT_TRANSLATE_NOOP("QObject", "shen xun zhuan yong")},
    {0xA1, QT_TRANSLATE_NOOP("QObject", "HDD Information")},
    {0xA2, QT_TRANSLATE_NOOP("QObject", "SMART Information")},
    {0xA3, QT_TRANSLATE_NOOP("QObject", "Start Recording")},
    {0xA4, QT_TRANSLATE_NOOP("QObject", "Stop Recording")},
    {0xA5, QT_TRANSLATE_NOOP("QObject", "Recording Timeout")},
    {0xA6, QT_TRANSLATE_NOOP("QObject", "Device Connect the front-end(IPC,etc.)")},
    {0xA7, QT_TRANSLATE_NOOP("QObject", "Device Disconnect the front-end(IPC,etc.)")},
    {0xA8, QT_TRANSLATE_NOOP("QObject", "Network HDD Information")},
    {0xA9, QT_TRANSLATE_NOOP("QObject", "Raid Information")},
    {0xB3, QT_TRANSLATE_NOOP("QObject", "Start Capture")},
    {0xB4, QT_TRANSLATE_NOOP("QObject", "Stop Capture")},
    {0xB5, QT_TRANSLATE_NOOP("QObject", "Delete Expired Picture Files")},
    {0x101, QT_TRANSLATE_NOOP("QObject", "Local Set Auto-Rebuild")},
    {0x102, QT_TRANSLATE_NOOP("QObject", "Local Config Hot-Spare Disk")},
    {0x103, QT_TRANSLATE_NOOP("QObject", "Local Create Array")},
    {0x104, QT_TRANSLATE_NOOP("QObject", "Local Delete Array")},
    {0x105, QT_TRANSLATE_NOOP("QObject", "Local Migrate Array")},
    {0x106, QT_TRANSLATE_NOOP("QObject", "Local Rebuild Array")},
    {0x107, QT_TRANSLATE_NOOP("QObject", "Local Quick Config")},
    {0x108, QT_TRANSLATE_NOOP("QObject", "Local Create Virtual Disk")},
    {0x109, QT_TRANSLATE_NOOP("QObject", "Local Delete Virtual Disk")},
    {0x10A, QT_TRANSLATE_NOOP("QObject", "Local Repair Virtual Disk")},
    {0x10B, QT_TRANSLATE_NOOP("QObject", "Local Expand Virtual Disk")},
    {0x10C, QT_TRANSLATE_NOOP("QObject", "Local RAID Adapter Upgrade")},
    {0x111, QT_TRANSLATE_NOOP("QObject", "Remote Set Auto-Rebuild")},
    {0x112, QT_TRANSLATE_NOOP("QObject", "Remote Config Hot-Spare Disk")},
    {0x113, QT_TRANSLATE_NOOP("QObject", "Remote Create Array")},
    {0x114, QT_TRANSLATE_NOOP("QObject", "Remote Delete Array")},
    {0x115, QT_TRANSLATE_NOOP("QObject", "Remote Migrate Array")},
    {0x116, QT_TRANSLATE_NOOP("QObject", "Remote Rebuild Array")},
    {0x117, QT_TRANSLATE_NOOP("QObject", "Remote Quick Config")},
    {0x118, QT_TRANSLATE_NOOP("QObject", "Remote Create Virtual Disk")},
    {0x119, QT_TRANSLATE_NOOP("QObject", "Remote Delete Virtual Disk")},
    {0x11A, QT_TRANSLATE_NOOP("QObject", "Remote Repair Virtual Disk")},
    {0x11B, QT_TRANSLATE_NOOP("QObject", "Remote Expand Virtual Disk")},
    {0x11C, QT_TRANSLATE_NOOP("QObject", "Remote RAID Adapter Upgrade")},
};

const unsigned int* MinorCodeList()
{
    static const auto codes = [] {
        std::array<unsigned int, std::size(kMinorTypes)> list{};
        for (std::size_t i = 0; i < std::size(kMinorTypes); ++i)
            list[i] = kMinorTypes[i].code;
        return list;
    }();
    return codes.data();
}

const char* Find(const CodeText* begin, const CodeText* end, unsigned int code)
{
    const CodeText* it =
        std::lower_bound(begin, end, code, [](const CodeText& e, unsigned int c) { return e.code < c; });
    return it != end && it->code == code ? it->text : nullptr;
}

QString Translate(const char* source)
{
    return source ? QCoreApplication::translate("QObject", source) : QString();
}

}  // namespace

QString CLogTrans::TransTime(const char* text) const
{
    if (!text)
        return {};
    return TransTime(text, std::strlen(text));
}

QString CLogTrans::TransTime(const char* field, std::size_t field_bytes) const
{
    if (!field)
        return {};
    const std::size_t length = strnlen(field, field_bytes);
    QString time = QString::fromLatin1(field, qsizetype(length));
    const struct {
        int position;
        char separator;
    } separators[] = {{4, '-'}, {7, '-'}, {10, ' '}, {13, ':'}, {16, ':'}};
    for (const auto& s : separators) {
        if (s.position > time.size())
            break;
        time.insert(s.position, QLatin1Char(s.separator));
    }
    return time;
}

QString CLogTrans::TransMajorType(unsigned int code) const
{
    return Translate(MajorTypeSource(code));
}

QString CLogTrans::TransMinorType(unsigned int code) const
{
    return Translate(MinorTypeSource(code));
}

const char* CLogTrans::MajorTypeSource(unsigned int code)
{
    return Find(std::begin(kMajorTypes), std::end(kMajorTypes), code);
}

const char* CLogTrans::MinorTypeSource(unsigned int code)
{
    return Find(std::begin(kMinorTypes), std::end(kMinorTypes), code);
}

const unsigned int* CLogTrans::MinorCodes(std::size_t* count)
{
    if (count)
        *count = std::size(kMinorTypes);
    return MinorCodeList();
}
