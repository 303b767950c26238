// Writes the type hints' name aliases (orvex/_names.pyi) from the names the
// library lists, spelt as the module lists them, so that no hint holds a copy:
// a format, pattern or method the library adds is in the hints at the next build.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "binding/names.h"

namespace {

// The names as listed, then their lower-case forms: the module accepts any case.
void WriteAlias(std::ostream& out, const char* alias, const std::vector<std::string>& listed) {
    std::vector<std::string> names = listed;
    for (const std::string& name : listed) {
        const std::string lower = orvex_python::Lower(name);
        if (std::find(names.begin(), names.end(), lower) == names.end()) names.push_back(lower);
    }
    out << alias << " = Literal[";
    for (size_t i = 0; i < names.size(); ++i) out << (i ? ", \"" : "\"") << names[i] << '"';
    out << "]\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: stub_names <file.pyi>\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << "# Written at build time from the names liborvex2 lists; not edited by hand.\n"
        << "from typing import Literal\n\n";
    WriteAlias(out, "Method", orvex_python::MethodNames());
    WriteAlias(out, "Pattern", orvex_python::PatternNames());
    WriteAlias(out, "Layout", orvex_python::LayoutNames());
    WriteAlias(out, "MosaicFormat", orvex_python::FormatNames());
    out.close();
    if (!out) {
        std::cerr << "stub_names: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
