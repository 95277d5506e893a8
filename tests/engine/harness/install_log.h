// A run's verbose log (msiexec /l*v), and in it the lines the actions wrote about themselves.
//
// Wine writes the log in the ANSI code page, one entry a line ending in "\n", and an action's
// INFO message bare: no "Info" number, no timestamp (ENGINE_NOTES.md, "The installer log"). A
// message with line breaks of its own spans several lines of the file. Windows may write the
// file in UTF-16 or with "\r\n"; both read the same here.
#pragma once

#include <string>
#include <vector>

namespace engine {

// One message an action wrote: "OrvDialog.ValidatePath: every shown slot has a folder".
struct ActionLine {
    std::string source;  // "OrvDialog.ValidatePath", the library and export
    std::string text;    // what follows ": ", line breaks included
    friend bool operator==(const ActionLine&, const ActionLine&) = default;
};

class InstallLog {
public:
    // `bytes` as the file holds them. A UTF-16 log (with its byte order mark) is turned into the
    // ANSI code page 1252, as the actions' own calls see text; a character outside it becomes '?'.
    static InstallLog parse(const std::string& bytes);

    // The whole log, line ends as "\n".
    const std::string& text() const { return text_; }
    // Every action's lines, in the order written. A line counts when it starts with
    // "<Library>.<Export>: " while an action runs, between the engine's "Action start" and
    // "Action ended" for it; the lines after it up to the next such line or the action's end
    // belong to it.
    const std::vector<ActionLine>& actionLines() const { return actionLines_; }
    // The texts of one library's export, in order.
    std::vector<std::string> linesOf(const std::string& library, const std::string& exportName) const;
    // The lines of the log, whole, that contain `fragment`.
    std::vector<std::string> linesContaining(const std::string& fragment) const;

private:
    std::string text_;
    std::vector<ActionLine> actionLines_;
};

}  // namespace engine
