#pragma once
// The text of one instruction line, built from a mnemonic (which may carry
// prefix words) and its operands; see InstructionDecoder.h for the layout.
#include <cstdint>
#include <string>

#include "crash/map/CodeReader.h"

std::string InstructionText(TAddress address, const std::string& mnemonic, const std::string& operands);

// A byte that forms no instruction: "db " and two hexadecimal digits.
std::string ByteText(TAddress address, std::uint8_t byte);

// Eight lower-case hexadecimal digits.
std::string AddressDigits(TAddress address);
