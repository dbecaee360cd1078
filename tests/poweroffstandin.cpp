// Stands in for the platform's power-off command (systemctl, shutdown) in a
// folder that a test puts on PATH: it writes the arguments it was started
// with, one line, into the file named by TOCKARO_POWEROFF_RECORD, and turns
// nothing off.
#include <cstdlib>
#include <fstream>

int main(int argc, char **argv)
{
    const char *record = std::getenv("TOCKARO_POWEROFF_RECORD");
    if (!record)
        return 1;
    std::ofstream out(record);
    for (int i = 1; i < argc; ++i)
        out << (i > 1 ? " " : "") << argv[i];
    out << '\n';
    return out ? 0 : 1;
}
