// The data side of one recording being read: opens the stream of a found file on a recorder
// disk, or (with the use-index flag) in a local recording folder. Data arrives through the
// stream-data callback on the delivering library's thread. No lock of its own: the owner calls
// it under its own mutex.
#pragma once

#include "engine/Records.h"

#include <memory>

namespace Varpen {

class RecordIndex;

class CStreamSource {
public:
    // What a block given to the data callback is: its `type` argument.
    enum class Block : int {
        Header = 1,  // the file's stream header, given first
        Data = 2,
    };
    // `type` is a Block; `user` as given to SetDataCallback.
    using DataCallback = void (*)(int handle, int type, unsigned char* data, unsigned int size, void* user);

    // GetPos values besides the progress 0-99.
    static constexpr int kPosDelivered = 100;  // all data delivered (read only after the last callback returned)
    static constexpr int kPosFailed = 200;     // the stream failed

    // Size of the data blocks a stream is delivered in unless SetBlockKiB chose another.
    static constexpr unsigned kDefaultBlockKiB = 8;

    CStreamSource();
    ~CStreamSource();
    CStreamSource(const CStreamSource&) = delete;
    CStreamSource& operator=(const CStreamSource&) = delete;

    void SetDataCallback(DataCallback callback, void* user);
    // The first call (whatever the value) also creates the index reader.
    void SetUseIndex(bool useIndex);
    bool GetUseIndex() const { return m_useIndex; }
    bool IsOpen() const { return m_handle != -1; }
    // Size of the data blocks of the streams opened from now on (both libraries take 1 to 4096 KiB;
    // 0 = kDefaultBlockKiB). A stream already open keeps its size.
    void SetBlockKiB(unsigned blockKiB) { m_blockKiB = blockKiB == 0 ? kDefaultBlockKiB : blockKiB; }
    unsigned GetBlockKiB() const { return m_blockKiB; }

    // Stops any open stream first.
    bool OpenByFile(const char* fileName);
    // The span of `file` from its start to its end time; `channel` is 0-based.
    bool OpenByTime(const CSingleFile& file, int channel);
    bool SetPosByTime(int year, int month, int day, int hour, int minute, int second);
    // 0 when nothing is open; else the progress, kPosDelivered or kPosFailed.
    int GetPos() const;
    void Stop();

private:
    int m_handle = -1;
    std::unique_ptr<RecordIndex> m_index;
    DataCallback m_callback = nullptr;
    void* m_user = nullptr;
    bool m_useIndex = false;
    unsigned m_blockKiB = kDefaultBlockKiB;
    bool m_handleIsIndex = false;  // which library the open handle belongs to
};

}  // namespace Varpen
