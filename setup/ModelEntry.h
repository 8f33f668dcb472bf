#pragma once

#include <cstddef>

#include "HeapBuffer.h"

// Room of a path buffer: 259 characters and the NUL, as the A functions use.
constexpr size_t PathBufferSize = 260;

// The working directory followed by one backslash; written at start-up.
extern char DriverFolder[PathBufferSize];
// DriverFolder followed by the name of the INF that was found; read on each
// install click.
extern char InfPath[PathBufferSize];

// A list entry is a tag naming the Windows version and one INF key name
// behind it, exactly as the INF reader returned it. The launcher finds the
// model by skipping the tag, so both tags have this length.
constexpr size_t ModelTagLength = 6;
extern const char Win2kTag[]; // "Win2k:"
extern const char WinXPTag[]; // "WinXP:"

// Writes the concatenation of `count` texts and a NUL into `out`, at its
// true length (a buffer already large enough is reused). False when memory
// is short.
bool JoinTexts(HeapBuffer& out, const char* const* texts, size_t count);

// Builds the entry `tag` + `key` into `entry`. False when memory is short.
bool BuildModelEntry(const char* tag, const char* key, HeapBuffer& entry);

// The model named by `entry`: its text from the 7th character on, the tag
// itself unexamined. Null when the entry is shorter than a tag.
const char* ModelOfEntry(const char* entry);
