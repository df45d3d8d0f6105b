// The `symbolize` program: draws the symbols and features of a JSON document through the
// library's public entry, as a host would. The commands live in commands.cpp.
#include <iostream>

#include "tools/symbolize/commands.h"

int main(int argc, char** argv) { return symbolize_tool::Run(argc, argv, std::cout, std::cerr); }
