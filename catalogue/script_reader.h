// Readers of the two DDR init-script formats ("setmem" and "memory") and the
// check of register addresses against a target's valid ranges.
#pragma once

#include <cstdint>
#include <cstdio>

#include "catalogue/target_catalogue.h"

// One register write, in script order; always a 32-bit write.
struct DcdItem {
    std::uint32_t addr;
    std::uint32_t value;
};

constexpr int SCRIPT_LINE_MAX = 256;
constexpr int SCRIPT_TOKEN_SLOTS = 32;
constexpr int SCRIPT_TOKEN_SIZE = 64;
constexpr int SCRIPT_MSG_SIZE = 256;

constexpr int HEX_ERR_PREFIX = -1;
constexpr int HEX_ERR_LENGTH = -2;
constexpr int HEX_ERR_DIGIT = -3;

// The last failure's message (UTF-8, zero-terminated), left by a reader.
extern char script_msg[SCRIPT_MSG_SIZE];

// Reads the open file (text mode, at its start) into items. *count holds the
// capacity on entry and the number of items stored on success. 0 = success,
// -1 = failure with the message in script_msg and *count unchanged. The file
// is not closed.
int read_script(std::FILE* file, DcdItem* items, int* count, const char* keyword,
                const char* comment_marker);
int parse_setmem_script(std::FILE* file, DcdItem* items, int* count);
int parse_memory_script(std::FILE* file, DcdItem* items, int* count);

// "0x"/"0X" and 1 to 8 hex digits. 0 and the value, or HEX_ERR_*.
int parse_hex_number(const char* text, std::uint32_t* value);

// 0 when every item's address lies in one of the ranges (or there are no
// items); otherwise -1 after one diagnostic line on standard output.
int check_dcd_ranges(const DcdItem* items, int count, int range_count, const DcdRange* ranges);
