#include "RowUserEventLog.h"

#include "CLogWriter.h"

void LogRowUserEvent()
{
    CLogWriter::Log("%s", kRowUserEventText);
}
