// Fuzz target: the DCL reader on any text. A file that loads builds and lays out each of its
// dialogs; one that does not says where and why.
#include "dcl/Dcl.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    dcl::File file;
    std::string error;
    // An @include reads the same text again, so nesting and repeated definitions are tried.
    auto include = [&text](const std::string&, const std::string&, std::string& path, std::string& body) {
        path = "fuzz.dcl";
        body = text;
        return true;
    };
    if (!file.load(text, "fuzz.dcl", &error, include)) {
        if (error.rfind("Error in dialog file \"", 0) != 0)
            std::abort();  // a refusal must name the file and line
        return 0;
    }
    for (const std::string& name : file.dialogNames())
        if (!file.dialog(name))
            std::abort();  // a dialog the file loaded with must build
    return 0;
}
