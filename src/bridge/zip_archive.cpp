#include "bridge/zip_archive.h"

#include <algorithm>
#include <cstring>

#include <unzip.h>
#include <zip.h>

namespace bridge {

namespace {

// minizip's file layer over the bytes in memory.
voidpf OpenMemory(voidpf opaque, const void*, int) {
  return opaque;
}
uLong ReadMemory(voidpf, voidpf stream, void* buf, uLong size) {
  auto* m = static_cast<ZipInput::Memory*>(stream);
  if (m->pos >= m->bytes.size()) return 0;
  std::uint64_t n = std::min<std::uint64_t>(size, m->bytes.size() - m->pos);
  std::memcpy(buf, m->bytes.data() + m->pos, static_cast<std::size_t>(n));
  m->pos += n;
  return static_cast<uLong>(n);
}
uLong WriteNothing(voidpf, voidpf, const void*, uLong) {
  return 0;
}
ZPOS64_T TellMemory(voidpf, voidpf stream) {
  return static_cast<ZipInput::Memory*>(stream)->pos;
}
// The new place from `origin`, or false when it falls outside [0, size].
bool Seek(std::uint64_t size, std::uint64_t* pos, ZPOS64_T offset, int origin) {
  std::uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                       : origin == ZLIB_FILEFUNC_SEEK_CUR ? *pos
                                                          : size;
  if (offset > size || base > size - offset) return false;
  *pos = base + offset;
  return true;
}
long SeekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* m = static_cast<ZipInput::Memory*>(stream);
  return Seek(m->bytes.size(), &m->pos, offset, origin) ? 0 : -1;
}
int CloseMemory(voidpf, voidpf) {
  return 0;
}
int NoError(voidpf, voidpf) {
  return 0;
}

uLong WriteOutput(voidpf, voidpf stream, const void* buf, uLong size) {
  auto* m = static_cast<ZipOutput::Memory*>(stream);
  const char* data = static_cast<const char*>(buf);
  std::size_t at = static_cast<std::size_t>(m->pos);
  if (at > m->bytes.size()) return 0;
  std::size_t over = std::min<std::size_t>(size, m->bytes.size() - at);
  m->bytes.replace(at, over, data, size);
  m->pos += size;
  return size;
}
uLong ReadOutput(voidpf, voidpf stream, void* buf, uLong size) {
  auto* m = static_cast<ZipOutput::Memory*>(stream);
  if (m->pos >= m->bytes.size()) return 0;
  std::uint64_t n = std::min<std::uint64_t>(size, m->bytes.size() - m->pos);
  std::memcpy(buf, m->bytes.data() + m->pos, static_cast<std::size_t>(n));
  m->pos += n;
  return static_cast<uLong>(n);
}
ZPOS64_T TellOutput(voidpf, voidpf stream) {
  return static_cast<ZipOutput::Memory*>(stream)->pos;
}
long SeekOutput(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* m = static_cast<ZipOutput::Memory*>(stream);
  return Seek(m->bytes.size(), &m->pos, offset, origin) ? 0 : -1;
}

struct WholePart {
  std::string* out;
};
bool Append(void* context, const char* data, std::size_t size) {
  static_cast<WholePart*>(context)->out->append(data, size);
  return true;
}

}  // namespace

ZipInput::ZipInput(std::string_view bytes, ZipLimits limits)
    : memory_{bytes, 0}, limits_(limits) {}

ZipInput::~ZipInput() {
  if (zip_ != nullptr) unzClose(static_cast<unzFile>(zip_));
}

bool ZipInput::Open() {
  zlib_filefunc64_def io{};
  io.zopen64_file = OpenMemory;
  io.zread_file = ReadMemory;
  io.zwrite_file = WriteNothing;
  io.ztell64_file = TellMemory;
  io.zseek64_file = SeekMemory;
  io.zclose_file = CloseMemory;
  io.zerror_file = NoError;
  io.opaque = &memory_;
  unzFile zip = unzOpen2_64("", &io);
  if (zip == nullptr) {
    fault_ = ZipFault::kNotZip;
    return false;
  }
  zip_ = zip;
  unz_global_info64 info{};
  if (unzGetGlobalInfo64(zip, &info) != UNZ_OK) {
    fault_ = ZipFault::kNotZip;
    return false;
  }
  if (info.number_entry > static_cast<ZPOS64_T>(limits_.parts)) {
    fault_ = ZipFault::kTooManyParts;
    return false;
  }
  // The directory itself, walked: its declared count is not trusted either.
  int count = 0;
  for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
    if (++count > limits_.parts) {
      fault_ = ZipFault::kTooManyParts;
      return false;
    }
    char name[1024];
    unz_file_info64 file{};
    if (unzGetCurrentFileInfo64(zip, &file, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
      break;
    unz64_file_pos pos{};
    if (unzGetFilePos64(zip, &pos) != UNZ_OK) break;
    parts_.emplace(name, std::make_pair(pos.pos_in_zip_directory, pos.num_of_file));
  }
  return true;
}

bool ZipInput::Has(std::string_view name) const {
  return parts_.find(name) != parts_.end();
}

bool ZipInput::Stream(std::string_view name, ZipSink sink, void* context) {
  auto found = parts_.find(name);
  if (zip_ == nullptr || found == parts_.end()) {
    fault_ = ZipFault::kMissing;
    faultPart_ = std::string(name);
    return false;
  }
  unzFile zip = static_cast<unzFile>(zip_);
  unz64_file_pos pos{found->second.first, found->second.second};
  auto damaged = [&] {
    fault_ = ZipFault::kDamaged;
    faultPart_ = std::string(name);
    return false;
  };
  if (unzGoToFilePos64(zip, &pos) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK) return damaged();
  char buffer[64 * 1024];
  std::uint64_t part = 0;
  for (;;) {
    int n = unzReadCurrentFile(zip, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      unzCloseCurrentFile(zip);
      return damaged();
    }
    part += static_cast<unsigned>(n);
    inflated_ += static_cast<unsigned>(n);
    if (part > limits_.part || inflated_ > limits_.total) {
      unzCloseCurrentFile(zip);
      fault_ = part > limits_.part ? ZipFault::kPartTooLarge : ZipFault::kTooLarge;
      faultPart_ = std::string(name);
      return false;
    }
    if (!sink(context, buffer, static_cast<std::size_t>(n))) {
      unzCloseCurrentFile(zip);
      return false;
    }
  }
  // The checksum is checked at the close.
  if (unzCloseCurrentFile(zip) != UNZ_OK) return damaged();
  return true;
}

bool ZipInput::Read(std::string_view name, std::string* out) {
  out->clear();
  WholePart whole{out};
  return Stream(name, Append, &whole);
}

ZipOutput::ZipOutput() {
  zlib_filefunc64_def io{};
  io.zopen64_file = OpenMemory;
  io.zread_file = ReadOutput;
  io.zwrite_file = WriteOutput;
  io.ztell64_file = TellOutput;
  io.zseek64_file = SeekOutput;
  io.zclose_file = CloseMemory;
  io.zerror_file = NoError;
  io.opaque = &memory_;
  zip_ = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &io);
  failed_ = zip_ == nullptr;
}

ZipOutput::~ZipOutput() {
  if (zip_ != nullptr) zipClose(static_cast<zipFile>(zip_), nullptr);
}

bool ZipOutput::Add(std::string_view name, std::string_view data) {
  if (failed_) return false;
  zipFile zip = static_cast<zipFile>(zip_);
  // A fixed date: the same bank gives the same bytes.
  zip_fileinfo info{};
  info.tmz_date.tm_year = 1980;
  info.tmz_date.tm_mday = 1;
  std::string path(name);
  if (zipOpenNewFileInZip64(zip, path.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            Z_DEFAULT_COMPRESSION, 0) != ZIP_OK) {
    failed_ = true;
    return false;
  }
  std::size_t done = 0;
  while (done < data.size()) {
    unsigned piece = static_cast<unsigned>(std::min<std::size_t>(data.size() - done, 1u << 20));
    if (zipWriteInFileInZip(zip, data.data() + done, piece) != ZIP_OK) {
      failed_ = true;
      break;
    }
    done += piece;
  }
  if (zipCloseFileInZip(zip) != ZIP_OK) failed_ = true;
  return !failed_;
}

bool ZipOutput::Finish(std::string* out) {
  if (zip_ == nullptr) return false;
  int rc = zipClose(static_cast<zipFile>(zip_), nullptr);
  zip_ = nullptr;
  if (rc != ZIP_OK || failed_) return false;
  *out = std::move(memory_.bytes);
  return true;
}

}  // namespace bridge
