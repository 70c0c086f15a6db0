// Fuzz target for the index parsers of local recording folders. The first byte picks the index
// kind (its value modulo 3: 0 dates, 1 channels, 2 segments); the rest is the file.
#include "engine/LocalIndex.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::uint8_t kind = data[0] % 3;
    const std::uint8_t* bytes = data + 1;
    const std::size_t n = size - 1;
    std::size_t names = 0;
    switch (kind) {
    case 0: {
        const auto dates = Varpen::ParseDateIndex(bytes, n);
        if (!dates.empty() && Varpen::kIndexHeaderBytes + dates.size() * Varpen::kDateRecordBytes > n)
            std::abort();
        for (const Varpen::IndexDate& d : dates)
            names += Varpen::FormatDate(d.year, d.month, d.day).size();
        break;
    }
    case 1:
        for (const Varpen::IndexChannel& c : Varpen::ParseChannelIndex(bytes, n)) {
            if (!Varpen::IsSafeName(c.sourceName) || c.sourceName.size() > Varpen::kSourceNameBytes)
                std::abort();
            names += Varpen::FormatChannelKey(c.sourceName, c.sourceNumber, c.channelNumber).size();
        }
        break;
    default:
        for (const Varpen::IndexSegment& s : Varpen::ParseSegmentIndex(bytes, n))
            names += Varpen::FormatClipFileName(s).size();
        break;
    }
    return names == std::size_t(-1);
}
