// debughilfe.h — the suite's debug log: one log object per module, lines under categories,
// and a scope object that marks the start and end of a piece of work.
//
// [X] CDebugHilfe: Initialisiere, AusgabeLang (printf-style, wide)
// [X] CKORDebugHelpFunction: writes "> text" when constructed and "< text" when destroyed
// [X] output to a file: $KOR_DEBUGLOG, else $XDG_STATE_HOME/korcad/kordebug.log
//     (default ~/.local/state/korcad/kordebug.log); KOR_DEBUGLOG=off writes no file
// [X] in-process sinks (tests install one to read every line)
// [X] a file that cannot be written (unwritable, a full disk, a FIFO or anything else that is
//     no regular file or device) is reported once on standard error, then skipped; opening
//     never blocks
// [X] rotation: a line that would take the file past 1 MiB first renames it to
//     "<file>.1" (replacing the older one), so the log never holds more than about 2 MiB
// [ ] log levels
//
// A file line reads: 2026-12-05 20:48:00.123 korDialog [Dialog] text — the text exactly as
// passed, its "\r\n" included.
#pragma once

#include "mfc/afx.h"

#include <functional>
#include <string>

struct KorDebugLine {
    std::wstring module;    // the log object's name
    std::wstring category;
    std::wstring text;      // exactly as formatted, line end included
};

class CDebugHilfe {
public:
    CDebugHilfe(const wchar_t* name, const wchar_t* fileName);
    ~CDebugHilfe();
    CDebugHilfe(const CDebugHilfe&) = delete;
    CDebugHilfe& operator=(const CDebugHilfe&) = delete;

    // Binds the log to the module that owns it: its first line names the module's file.
    void Initialisiere(HINSTANCE instance);
    void AusgabeLang(const wchar_t* category, const wchar_t* format, ...);
    void AusgabeLangV(const wchar_t* category, const wchar_t* format, va_list args);

    const std::wstring& Name() const { return m_name; }
    // Whether a line would go anywhere: a file, or a sink. When not, lines are not even made.
    bool Wanted() const;

    // Sinks receive every line of every log in the process. The returned id removes it.
    using Sink = std::function<void(const KorDebugLine&)>;
    static int AddSink(Sink sink);
    static void RemoveSink(int id);
    // The file lines go to, as resolved from the environment (empty when switched off).
    static std::string LogFilePath();
    // The size at which the file is rotated.
    static constexpr unsigned long long kRotateAt = 1024 * 1024;

private:
    void write(const std::wstring& category, const std::wstring& text);
    std::wstring m_name;
    std::string m_fileOverride;
};

// Marks a scope in the log: constructed with the log, a category and a printf-style format.
class CKORDebugHelpFunction {
public:
    CKORDebugHelpFunction(CDebugHilfe& log, const wchar_t* category, const wchar_t* format, ...);
    ~CKORDebugHelpFunction();
    CKORDebugHelpFunction(const CKORDebugHelpFunction&) = delete;
    CKORDebugHelpFunction& operator=(const CKORDebugHelpFunction&) = delete;

private:
    CDebugHilfe& m_log;
    std::wstring m_category;
    std::wstring m_text;
    bool m_written = false;  // the opening line was made: the closing one is too (lines pair)
};
