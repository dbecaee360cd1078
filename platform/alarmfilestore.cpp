#include "platform/alarmfilestore.h"

#include "platform/files.h"

AlarmFileContents loadAlarmFile(KeptFile &file, const QLocale &locale, int presentYear)
{
    const FileContents read = file.read();
    if (!read.error.isEmpty()) {
        AlarmFileContents contents;
        contents.report.readError = read.error;
        return contents;
    }
    return readAlarmLines(read.bytes, locale, presentYear);
}
