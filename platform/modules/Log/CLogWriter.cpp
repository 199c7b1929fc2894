#include "CLogWriter.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {
std::mutex g_lock;
bool g_capturing = false;
std::vector<std::string> g_lines;
}

void CLogWriter::Log(const char* format, ...)
{
    if (format == nullptr)
        return;
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_capturing)
        return;
    char text[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    g_lines.emplace_back(text);
}

void CLogWriter::StartCapture()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_capturing = true;
    g_lines.clear();
}

void CLogWriter::StopCapture()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_capturing = false;
}

std::vector<std::string> CLogWriter::Captured()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_lines;
}
