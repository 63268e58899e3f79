#pragma once

#include <cstring>
#include <string_view>

namespace arb::bench {

// The floors' way through a file: every field of every line, cut at LF (a CR before it dropped)
// and at TAB with memchr, as views. Calls onField(field) for each field and onLineEnd() after
// each line; inlined, so a floor costs no more than its loop.
template <class OnField, class OnLineEnd>
inline void ForEachField(std::string_view text, OnField&& onField, OnLineEnd&& onLineEnd) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* lineEnd = lf ? lf : end;
        const char* stop = lineEnd > p && lineEnd[-1] == '\r' ? lineEnd - 1 : lineEnd;
        for (const char* f = p;;) {
            const char* tab = static_cast<const char*>(std::memchr(f, '\t', stop - f));
            onField(std::string_view(f, (tab ? tab : stop) - f));
            if (!tab)
                break;
            f = tab + 1;
        }
        onLineEnd();
        p = lineEnd + 1;
    }
}

} // namespace arb::bench
