// Fuzz target for the disk library's reading of untrusted disks: the input is a disk image. The
// superblock checksum is recomputed on the input, so mutations reach the tables behind it.
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/diskrec/DiskLayout.h"
#include "platform/diskrec/diskrec.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void Sink(int, int, unsigned char*, unsigned, void*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> image(data, data + size);
  if (image.size() >= diskrec::kSuperblockSize)
    diskrec::PutU32(image.data() + diskrec::kChecksumOffset,
                    diskrec::Crc32(image.data(), diskrec::kChecksumOffset));
  const std::string path = fuzz::WriteScratch("disk.img", image.data(), image.size());
  if (path.empty()) return 0;

  const DR_DateTime from{1970, 1, 1, 1, 0, 0}, to{2100, 12, 31, 23, 59, 59};
  for (const std::string& p : {path, path + "_NVR_DIR_\\Package000\\", path + "_DVR_DIR_\\Package000\\"}) {
    for (int channel = 1; channel <= 3; ++channel) {
      const int h = DR_FILE_FindFile(p.c_str(), channel, 0, &from, &to);
      if (h < 0) break;
      DR_FindRecord r;
      int n = 0;
      while (DR_FILE_FindNextFile(h, &r) == 1) {
        if (n++ > 2) continue;
        const int s = DR_FILE_GetStreamByFile(r.name, 64, 0, &Sink, nullptr);
        const DR_DiskPath disk{p.c_str(), {0, 0, 0}};
        const int t = DR_FILE_GetStreamByTime(&disk, &from, &to, channel, 64, &Sink, nullptr);
        for (int i = 0; i < 2000; ++i) {
          const int a = s >= 0 ? DR_FILE_GetPos(s) : 100, b = t >= 0 ? DR_FILE_GetPos(t) : 100;
          if ((a == 100 || a == 200) && (b == 100 || b == 200)) break;
          std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        DR_FILE_Stop(s);
        DR_FILE_Stop(t);
      }
      DR_FILE_FindClose(h);
    }
  }
  const int l = DR_FILE_FindLog(path.c_str(), 3, 0, 0, nullptr, nullptr);
  DR_LogRecord record;
  while (l >= 0 && DR_FILE_FindNextLog(l, &record) == 1) {
  }
  DR_FILE_FindLogClose(l);
  return 0;
}
