#pragma once

// The language of what the programs say to their user: simplified Chinese when the user's
// messages are Chinese (LC_ALL, then LC_MESSAGES, then LANG, the first one set, names a "zh"
// locale), English otherwise. The window's own texts are the same in every locale.

bool MessagesInChinese();

// `chinese` when the messages are Chinese, else `english`.
const char* ChineseOr(const char* chinese, const char* english);
