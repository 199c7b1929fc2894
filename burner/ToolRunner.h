// Runs one outside program through "Pip -h <handle>": the program's output and errors
// come back through an inheritable pipe and are appended, piece by piece, to an
// output text that another thread may read while the program runs.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

// The output of the tools a writer has run, appended while a progress poll reads it.
class CToolOutput {
public:
    void Append(const char* data, size_t size);
    void AppendNewline();
    std::string Text() const;

private:
    mutable std::mutex lock_;
    std::string text_;
};

struct ToolRun {
    bool started = false;
    unsigned reads = 0;        // successful reads of the pipe
    uint32_t exitCode = 0;     // the tool's (through Pip's) exit code
};

// toolAndArguments follows "Pip -h N "; waitMs is slept between the start and the
// first read; newlineAfterRead appends "\n" after every read.
ToolRun RunTool(const std::string& toolAndArguments, CToolOutput& output, unsigned waitMs = 0,
                bool newlineAfterRead = false);

// A path quoted for a command line (inner quotes are not allowed in Windows paths).
std::string QuotedPath(const std::string& path);
