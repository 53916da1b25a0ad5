// Prints the reference page of every diagnostic (docs/diagnostics.md).
#include <iostream>

#include "tool/diagnostics/catalogue.h"

int main() {
    std::cout << scenario::tool::reference_page();
    return std::cout.good() ? 0 : 74;
}
