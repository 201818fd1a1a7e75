// ShortText: the program's only text type. A length byte and at most 255
// bytes of code page 850 text. Positions count from 1; 0 means "not found".
// Every assignment, append and insertion keeps at most the first 255 bytes,
// and every substring or count is clamped to the text, so no caller has to
// check a length itself.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace dolv {

class ShortText {
  public:
    static constexpr int kMax = 255;

    ShortText() = default;
    // Copies move only the bytes in use.
    ShortText(const ShortText& other) : len_(other.len_) {
        if (len_) std::memcpy(data_, other.data_, len_);
    }
    ShortText& operator=(const ShortText& other) {
        if (this != &other) {
            len_ = other.len_;
            if (len_) std::memmove(data_, other.data_, len_);
        }
        return *this;
    }
    ShortText(std::string_view s) { assign(s); }  // NOLINT: implicit on purpose
    ShortText(const char* s) { assign(s ? std::string_view(s) : std::string_view()); }  // NOLINT
    ShortText(const std::string& s) { assign(std::string_view(s)); }                    // NOLINT

    // A text of n copies of one character (n clamped to 0..255).
    static ShortText repeat(char c, int n) {
        ShortText t;
        if (n < 0) n = 0;
        if (n > kMax) n = kMax;
        std::memset(t.data_, c, static_cast<size_t>(n));
        t.len_ = static_cast<uint8_t>(n);
        return t;
    }

    int size() const { return len_; }
    bool empty() const { return len_ == 0; }
    std::string_view view() const { return std::string_view(data_, len_); }
    std::string str() const { return std::string(data_, len_); }
    const char* data() const { return data_; }

    // The byte at position pos (1-based); 0 outside the text.
    unsigned char at(int pos) const {
        return (pos >= 1 && pos <= len_) ? static_cast<unsigned char>(data_[pos - 1]) : 0;
    }
    // The last byte, 0 for the empty text.
    unsigned char last() const { return at(len_); }
    // Replaces the byte at pos (1-based); positions outside the text are ignored.
    void set(int pos, char c) {
        if (pos >= 1 && pos <= len_) data_[pos - 1] = c;
    }

    // Substring from start (1-based) of at most count bytes. A start beyond
    // the end gives the empty text; a count past the end stops at the end.
    // A start below 1 counts from 1.
    ShortText sub(int start, int count = kMax) const {
        if (start < 1) start = 1;
        if (start > len_ || count <= 0) return ShortText();
        int avail = len_ - start + 1;
        if (count > avail) count = avail;
        return ShortText(std::string_view(data_ + start - 1, static_cast<size_t>(count)));
    }
    // The first n bytes (all when n >= size).
    ShortText left(int n) const { return sub(1, n); }
    // The last n bytes (all when n >= size).
    ShortText right(int n) const {
        if (n <= 0) return ShortText();
        if (n >= len_) return *this;
        return sub(len_ - n + 1, n);
    }

    // First position of c, or of the text t, from position `from` on; 0 when absent.
    int find(char c, int from = 1) const {
        if (from < 1) from = 1;
        if (from > len_) return 0;
        const void* hit = std::memchr(data_ + from - 1, c, static_cast<size_t>(len_ - from + 1));
        return hit ? static_cast<int>(static_cast<const char*>(hit) - data_) + 1 : 0;
    }
    int find(const ShortText& t, int from = 1) const {
        if (t.empty()) return 0;
        if (from < 1) from = 1;
        for (int i = from; i + t.len_ - 1 <= len_; ++i)
            if (std::memcmp(data_ + i - 1, t.data_, t.len_) == 0) return i;
        return 0;
    }
    bool contains(char c) const { return find(c) != 0; }

    // Keeps the first n bytes.
    void truncate(int n) {
        if (n < 0) n = 0;
        if (n < len_) len_ = static_cast<uint8_t>(n);
    }
    // Removes count bytes from start on (nothing when start is outside the
    // text or count <= 0; a count past the end removes up to the end).
    void erase(int start, int count) {
        if (start < 1 || start > len_ || count <= 0) return;
        int avail = len_ - start + 1;
        if (count > avail) count = avail;
        std::memmove(data_ + start - 1, data_ + start - 1 + count,
                     static_cast<size_t>(len_ - (start - 1) - count));
        len_ = static_cast<uint8_t>(len_ - count);
    }
    // Inserts t before position pos (pos = size()+1 appends); the result is cut at 255.
    void insert(int pos, const ShortText& t) {
        if (pos < 1) pos = 1;
        if (pos > len_ + 1) pos = len_ + 1;
        std::string s = str();
        s.insert(static_cast<size_t>(pos - 1), t.view());
        assign(s);
    }

    ShortText& operator+=(const ShortText& t) {
        int n = t.len_;
        if (n > kMax - len_) n = kMax - len_;
        std::memmove(data_ + len_, t.data_, static_cast<size_t>(n));
        len_ = static_cast<uint8_t>(len_ + n);
        return *this;
    }
    ShortText& operator+=(char c) {
        if (len_ < kMax) data_[len_++] = c;
        return *this;
    }
    ShortText& operator+=(const char* s) { return *this += ShortText(s); }

    // Each builds its result in place (one copy of the left side, then the
    // append), so that the result is returned without a further copy.
    friend ShortText operator+(const ShortText& a, const ShortText& b) {
        ShortText r(a);
        r += b;
        return r;
    }
    friend ShortText operator+(const ShortText& a, const char* b) {
        ShortText r(a);
        r += ShortText(b);
        return r;
    }
    friend ShortText operator+(const char* a, const ShortText& b) {
        ShortText r(a);
        r += b;
        return r;
    }
    friend ShortText operator+(const ShortText& a, char c) {
        ShortText r(a);
        r += c;
        return r;
    }

    friend bool operator==(const ShortText& a, const ShortText& b) { return a.view() == b.view(); }
    friend bool operator==(const ShortText& a, const char* b) {
        return a.view() == std::string_view(b);
    }

  private:
    void assign(std::string_view s) {
        size_t n = s.size() > kMax ? kMax : s.size();
        if (n) std::memmove(data_, s.data(), n);
        len_ = static_cast<uint8_t>(n);
    }

    uint8_t len_ = 0;
    char data_[kMax];  // bytes past len_ are never read
};

}  // namespace dolv
