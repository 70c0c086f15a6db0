// The record types of a recorder's files, the disk library's numbers: what a file search asks for
// (All: every type) and what a found file was recorded as. The playback page's record-type box
// lists them in this order.
#pragma once

enum class RecordType : int {
    All = 0,
    Motion = 1,
    Alarm = 2,
    Manual = 3,
    Plan = 4,
    CashOut = 5,
    CashIn = 6,
    Command = 7,
    Shake = 8,
    Environment = 9,
    AlarmOrMotion = 10,
    AlarmAndMotion = 11,
    Intelligent = 12,
    Urgent = 13,
    Near = 14,
};
