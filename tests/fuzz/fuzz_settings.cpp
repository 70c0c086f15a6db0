// Fuzz target for the program's two entry files, "Settings.xml" and "Setup.xml", which share one
// reader: the input is the file. What the settings store reads of the six keys must survive the
// settings page's save: written back and read again, every key keeps its value.
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "app/ClientSetup.h"
#include "app/SettingsManager.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A damaged file is said on every run: words that only slow the fuzzer down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = QString::fromStdString(fuzz::WriteScratch("entries.xml", data, size));
    if (path.isEmpty())
        return 0;

    CClientConfigManager setup;
    Check(setup.LoadConfig(path));
    for (int key = 0; key < CClientConfigManager::KeyCount; ++key)
        (void)setup.GetIntValue(key);

    CSettingsManager read;
    Check(read.ReadSettings(path));
    SettingsEntries six;
    for (int key = 0; key < CSettingsManager::KeyCount; ++key) {
        if (const std::optional<QString> value = read.GetValueByIndex(key))
            six.append({CSettingsManager::GetKeyName(key), *value});
    }
    static const QString saved = QString::fromStdString(fuzz::ScratchPath("saved.xml"));
    CSettingsManager store;
    Check(store.SaveSettings(six, saved));
    CSettingsManager back;
    Check(back.ReadSettings(saved));
    Check(back.Count() == six.size());
    for (int key = 0; key < CSettingsManager::KeyCount; ++key)
        Check(back.GetValueByIndex(key) == read.GetValueByIndex(key));
    return 0;
}
