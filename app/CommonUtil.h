#pragma once

#include <QByteArray>
#include <QEvent>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <ctime>
#include <string>

class QMimeData;

// Functions with no object and no state, used throughout the program. They need only QtCore;
// those that work on pictures, window shapes and screens are in app/gui/CommonUtilGui.h, in
// the same namespace.
namespace CCommonUtil {

// Paths and files of the program.
QString GetAppDirPath();                       // always ends with "/"
QString GetAbsolutePath(const QString& path);  // relative: under GetAppDirPath()
// The folder of "Settings.xml" and "Setup.xml", ending with "/": $VARPEN_CONFIG_DIR, else the
// program's folder when it is writable, else ~/.config/Varpen.
QString GetConfigDirPath();
QString GetConfigFilePath(const QString& fileName);
// Folders holding the program's translations/ files, in the order they are looked up.
QStringList GetTranslationDirs();
// A Windows drive path ("C:/", "d:\\Video") stored by an older installation; such a value
// names no folder here and counts as unset.
bool IsWindowsDrivePath(const QString& path);
// Default output folder under the user's video folder: "<Movies>/Varpen/<sub>/".
QString GetDefaultOutputDir(const QString& sub);
// A save folder as it should be used: the stored value, or the default when the stored one is
// empty or a Windows drive path.
QString EffectiveSavePath(const QString& stored, const QString& defaultSub);
// The folder of snapshots, clips or downloads (setting index 1, 3 or 5) as every output and
// free-space check uses it: EffectiveSavePath of the stored value (a missing setting counts
// as empty) with the default "<Movies>/Varpen/", ending with a separator.
QString GetOutputSavePath(int settingIndex);

// Text of recorders: UTF-8 when the bytes are valid UTF-8, else GB18030. `flag` is unused.
QString LocalToQString(const char* text, bool flag = false);
QString LocalToQString(const QByteArray& text);
// Local 8-bit text of this system (UTF-8). `flag` is unused.
QByteArray QStringToLocal(const QString& text, bool flag = false);
std::string QStringToStdLocal(const QString& text);

QStringList GetMimeLocalFiles(const QMimeData* data);
bool IsLegalFileName(const QString& text);
// A text from a recorder shown on one line: backslash, TAB, line feed and carriage return as
// "\\", "\t", "\n", "\r", every other control character as "\xHH" (or "\uHHHH").
QString EscapeControlChars(const QString& text);

// Sizes.
void ScaleKeepAspect(int srcW, int srcH, int boxW, int boxH, int* outW, int* outH);
QString FormatSize(quint64 bytes);

// Checks and small helpers.
bool IsValidIPAddress(const QString& text);
bool IsValidIPv4(const QString& text);
bool IsValidIPv6(const QString& text);
bool IsValidSubnetMask(const QString& text);
bool IsMulticastIP(const QString& text);
bool IsValidMac(const QString& text);
QString AddQuotes(const QString& text);
bool HasGBKChar(const QByteArray& bytes);
bool IsDayInMonth(int month, int day);
QString GetEventTypeName(QEvent::Type type);

// Folders: one level with every permission, or a whole path.
bool MakeDir(const QString& path);
bool MakePath(const QString& path);

}  // namespace CCommonUtil

// Creates every folder level of `path` before its last "/"; the text after it is not created,
// so a file path makes its folder exist. Failures are not reported: the next open fails instead.
void MakeDirs(const char* path);

// Local time of a 14-digit text "YYYYMMDDhhmmss"; -1 for a null or shorter text or for fields
// that name no time.
time_t ParseTimeString(const char* text);

// Bytes that the calling user may still write on the volume of `path` (the nearest existing
// folder of it) and the volume's size. False when no folder of the path can be asked.
bool QueryDiskFreeSpace(const QString& path, quint64* freeToCaller, quint64* total);

// True when too little space: fewer free bytes than minGB x 1024^3 at the output folder of the
// setting `settingIndex` (GetOutputSavePath: the default folder when the setting is missing), or of
// `path` when the index is -1. A Windows drive path given as `path` and a failed query count as
// too little space.
bool CheckSavePathDiskSpace(float minGB, int settingIndex, QString path);
// The same check for the GUI thread, from the free-space cache (app/FreeSpaceCache.h): it never
// waits for the disk. The folder's last value counts (a failed query as too little space); a
// folder not read yet counts as too little when `unknownIsLow`, else as enough, and is read on
// the cache's worker for the next check.
bool CheckSavePathDiskSpaceCached(float minGB, int settingIndex, QString path, bool unknownIsLow);

// The free space an output folder must keep, in GiB of 1024^3 bytes, by the setting that names
// it: 0.5 for the capture folder, 2.0 for the clip and the download folders. The settings page
// refuses a folder by CheckSavePathDiskSpace with it, as a snapshot, a clip or a download does.
float SavePathMinFreeGB(int settingIndex);
