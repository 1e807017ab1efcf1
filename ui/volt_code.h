// Voltage codes of the two supply rails and the texts the window shows.
#pragma once

#include <string>

constexpr int VOLT_CODE_OFF = 0;
constexpr int VOLT_CODE_MANUAL = 16;  // 1.100 V, the code a rail takes in Manual
constexpr int VOLT_CODE_FULL = 31;
constexpr int VOLT_CODE_AUTO = 204;   // 0xCC

// For a code from 1 to 30: (code + 28) x 25 mV in volts with three decimals,
// formed in single precision ("0.725" for 1 ... "1.450" for 30).
std::u16string volt_code_text(int code);
// What a rail's value field shows for a code: "auto", "OFF", "FULL" or the
// voltage.
std::u16string volt_code_display(int code);
