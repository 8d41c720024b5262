#include "platform/EngineResult.h"

const char* DescribeEngineError(EngineResult code) {
    if (code == 0) {
        return "No error occured.\n";
    }
    if (code == -1) {
        return "Fatal error.\n";
    }
    if (code <= -2 && code >= -42) {
        return "Errors currently undocumented, sorry ;)\n";
    }
    return "Fatal undocumented error.\n";
}
