// The stand-ins' one way of saying that they do not carry out a call, a flag
// or an argument they were given: "unsupported: <what> (<file>:<line>)" on
// standard error, once for each place that reports. Every stand-in folder
// uses it. Platform-internal. Any thread.
#pragma once

// The file and line default to the caller's (std::source_location needs a
// newer clang than ours with libstdc++).
void ReportUnsupported(const char* what, const char* file = __builtin_FILE(),
                       unsigned line = __builtin_LINE());

// The same, returning `result`, so that a call can end with
// `return ReportUnsupported("...", DDERR_INVALIDPARAMS);`.
template <typename Result>
Result ReportUnsupported(const char* what, Result result, const char* file = __builtin_FILE(),
                         unsigned line = __builtin_LINE()) {
    ReportUnsupported(what, file, line);
    return result;
}
