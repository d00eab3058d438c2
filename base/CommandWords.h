// The words of a command line as this program takes them: split at blanks
// outside quotes, where a quote only groups (no folder name holds one), so
// "D:\" "E:\" gives D:\ and E:\ and not the escaped quote the C runtime sees.
#pragma once

#include <stdlib.h>
#include <wchar.h>

// Calls take(word, length) for each word, the program's own first. The word
// is NUL-terminated, with room for one more character; "" gives an empty one.
template <class Take> void ForEachCommandWord(const wchar_t* commandLine, Take take) {
    wchar_t* word = (wchar_t*)malloc(sizeof(wchar_t) * (wcslen(commandLine) + 2));
    if (!word)
        abort(); // out of memory: nothing sensible is left to do
    int length = 0;
    bool quoted = false, started = false;
    for (const wchar_t* at = commandLine;; ++at) {
        if (*at == L'"') {
            quoted = !quoted;
            started = true;
            continue;
        }
        if (*at && (quoted || (*at != L' ' && *at != L'\t'))) {
            word[length++] = *at;
            started = true;
            continue;
        }
        word[length] = L'\0';
        if (started)
            take(word, length);
        length = 0;
        started = false;
        if (!*at)
            break;
    }
    free(word);
}
