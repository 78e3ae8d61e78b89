#include "runtime/file_stream.h"

#include <unistd.h>

#include <climits>

#include "host/game.h"

namespace {

// The byte range [offset, offset + count) cut to what the buffer holds; count 0 when the
// offset lies outside it.
int FittingCount(const BBDataBuffer* buffer, int offset, int count) {
  if (!buffer || offset < 0 || count <= 0 || offset >= buffer->Length()) return 0;
  const int room = buffer->Length() - offset;
  return count < room ? count : room;
}

int ClampToInt(long value) {
  if (value < 0) return 0;
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace

BBStream::~BBStream() = default;

BBFileStream::BBFileStream() = default;

BBFileStream::~BBFileStream() {
  if (file) std::fclose(file);
}

int BBFileStream::Eof() {
  if (!file) return -1;
  return position == length ? 1 : 0;
}

int BBFileStream::Close() {
  int result = 0;
  if (file) result = std::fclose(file);
  file = nullptr;
  position = 0;
  length = 0;
  lastAccess = LastAccess::NONE;
  return result;
}

int BBFileStream::Length() {
  return length;
}
int BBFileStream::Position() {
  return position;
}

int BBFileStream::Seek(int offset) {
  if (!file) return 0;
  std::fseek(file, offset, SEEK_SET);
  position = ClampToInt(std::ftell(file));
  lastAccess = LastAccess::NONE;
  return position;
}

void BBFileStream::SwitchAccess(LastAccess access) {
  if (lastAccess != LastAccess::NONE && lastAccess != access) std::fseek(file, 0, SEEK_CUR);
  lastAccess = access;
}

int BBFileStream::Read(BBDataBuffer* buffer, int offset, int count) {
  if (!file) return 0;
  const int fitting = FittingCount(buffer, offset, count);
  if (fitting == 0) return 0;
  SwitchAccess(LastAccess::READ);
  const int n = static_cast<int>(std::fread(buffer->Data() + offset, 1, fitting, file));
  position += n;
  return n;
}

int BBFileStream::Write(BBDataBuffer* buffer, int offset, int count) {
  if (!file) return 0;
  const int fitting = FittingCount(buffer, offset, count);
  if (fitting == 0) return 0;
  SwitchAccess(LastAccess::WRITE);
  const int n = static_cast<int>(std::fwrite(buffer->Data() + offset, 1, fitting, file));
  position += n;
  if (position > length) length = position;
  return n;
}

bool BBFileStream::Open(const String& path, const String& mode) {
  if (file) return false;
  String cMode;
  if (mode == u"r") {
    cMode = u"rb";
  } else if (mode == u"w") {
    cMode = u"wb";
  } else if (mode == u"u" || mode == u"a") {
    cMode = u"rb+";
  } else {
    return false;
  }
  BBGame* game = BBGame::Game();
  if (!game) return false;
  file = game->OpenFile(path, cMode);
  if (!file && cMode == u"rb+") file = game->OpenFile(path, u"wb+");
  if (!file) return false;

  std::fseek(file, 0, SEEK_END);
  length = ClampToInt(std::ftell(file));
  std::fseek(file, 0, SEEK_SET);
  position = 0;
  lastAccess = LastAccess::NONE;
  if (mode == u"a") Seek(length);
  return true;
}

bool BBFileStream::Sync() {
  if (!file) return false;
  if (std::fflush(file) != 0) return false;
  return fsync(fileno(file)) == 0;
}
