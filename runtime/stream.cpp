#include "runtime/stream.h"

#include <utility>

c_Stream::~c_Stream() = default;

void c_Stream::WriteText(const String& text, const String& /*encoding*/) {
  c_DataBuffer buffer(static_cast<int>(3 * text.size()));
  int n = buffer.PokeText(0, text, u"utf8");
  int offset = 0;
  while (n > 0) {
    const int written = Write(&buffer, offset, n);
    if (written <= 0) throw c_StreamWriteError(this);
    offset += written;
    n -= written;
  }
}

c_FileStream::c_FileStream(std::unique_ptr<BBFileStream> stream) : stream(std::move(stream)) {}

c_FileStream::~c_FileStream() = default;

int c_FileStream::Write(c_DataBuffer* buffer, int offset, int count) {
  return stream ? stream->Write(buffer, offset, count) : 0;
}

void c_FileStream::Close() {
  if (!stream) return;
  stream->Close();
  stream.reset();
}

bool c_FileStream::Sync() {
  return stream && stream->Sync();
}

std::unique_ptr<c_FileStream> OpenFileStream(const String& path, const String& mode) {
  auto host = std::make_unique<BBFileStream>();
  const bool append = mode == u"a";
  if (!host->Open(path, append ? String(u"u") : mode)) return nullptr;
  if (append) host->Seek(host->Length());
  return std::make_unique<c_FileStream>(std::move(host));
}
