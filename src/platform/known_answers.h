// A few answers of the system kept by what they are about (a device, a
// volume), so that each is asked once in a run: the first ones are kept,
// the rest asked each time.
#pragma once

#include <cstddef>

namespace dolv {

template <typename Key>
class KnownAnswers {
  public:
    // The answer for key: the one kept, or ask(), kept where there is room.
    template <typename Ask>
    bool get(const Key& key, Ask ask) {
        for (size_t i = 0; i < count_; ++i)
            if (known_[i].key == key) return known_[i].answer;
        const bool answer = ask();
        if (count_ < kRoom) known_[count_++] = {key, answer};
        return answer;
    }

  private:
    static constexpr size_t kRoom = 8;
    struct Known {
        Key key;
        bool answer;
    };
    Known known_[kRoom] = {};
    size_t count_ = 0;
};

}  // namespace dolv
