// Reading text line by line with a fixed buffer, as fgets does: a line
// longer than the buffer comes back in pieces, each piece a line of its own.
// "\r\n" counts as one line break, so files written on either system read
// the same.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace lumora {

// Byte sources: Get() returns the next byte or EOF; Unget() steps back one.
class FileSource {
 public:
  explicit FileSource(std::FILE* f) : m_file(f) {}
  int Get() { return std::getc(m_file); }
  void Unget(int c) { std::ungetc(c, m_file); }

 private:
  std::FILE* m_file;
};

class StringSource {
 public:
  explicit StringSource(std::string_view s) : m_text(s) {}
  int Get() { return m_pos < m_text.size() ? static_cast<unsigned char>(m_text[m_pos++]) : EOF; }
  void Unget(int) { --m_pos; }

 private:
  std::string_view m_text;
  size_t m_pos = 0;
};

template <typename Source>
class BasicLineReader {
 public:
  // bufferSize as given to fgets: at most bufferSize - 1 characters a piece.
  BasicLineReader(Source source, int bufferSize) : m_src(source), m_size(bufferSize) {}

  // The next piece, with its "\n" when the line ended in it. False at end of text.
  bool Next(std::string& piece) {
    piece.clear();
    if (m_size < 2) return false;
    while (static_cast<int>(piece.size()) < m_size - 1) {
      int c = m_src.Get();
      if (c == EOF) break;
      if (c == '\r') {
        int d = m_src.Get();
        if (d == '\n') {
          piece.push_back('\n');
          return true;
        }
        if (d != EOF) m_src.Unget(d);
      }
      piece.push_back(static_cast<char>(c));
      if (c == '\n') return true;
    }
    return !piece.empty();
  }

 private:
  Source m_src;
  int m_size;
};

class LineReader : public BasicLineReader<FileSource> {
 public:
  LineReader(std::FILE* f, int bufferSize) : BasicLineReader(FileSource(f), bufferSize) {}
};

class StringLineReader : public BasicLineReader<StringSource> {
 public:
  StringLineReader(std::string_view s, int bufferSize)
      : BasicLineReader(StringSource(s), bufferSize) {}
};

}  // namespace lumora
