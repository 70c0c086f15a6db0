// The texts of a device-log record's coded fields: its time, major type and minor type. The
// texts are translated in the general "QObject" context.
#pragma once

#include <QString>

#include <cstddef>

// The major types of a device-log record; a search for All takes records of every type.
enum class LogMajorType : unsigned int {
    All = 0,
    Alarm = 1,
    Exception = 2,
    Operation = 3,
    Information = 4,
};

class CLogTrans {
public:
    virtual ~CLogTrans() = default;

    // "YYYYMMDDhhmmss" as "YYYY-MM-DD hh:mm:ss"; separators are put in at the same places for a
    // shorter text; null gives an empty text.
    QString TransTime(const char* text) const;
    // The same for a fixed-width field that may lack its terminator: never reads past
    // `field_bytes`.
    QString TransTime(const char* field, std::size_t field_bytes) const;
    // Empty for a code without a text.
    QString TransMajorType(unsigned int code) const;
    QString TransMinorType(unsigned int code) const;
    QString TransParam() const { return {}; }

    // The English source text of a code (untranslated), null when the code has none.
    static const char* MajorTypeSource(unsigned int code);
    static const char* MinorTypeSource(unsigned int code);
    // Every minor code that has a text, in ascending order.
    static const unsigned int* MinorCodes(std::size_t* count);
};
