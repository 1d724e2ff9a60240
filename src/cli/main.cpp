#include "cli/cli_run.h"

#include <QString>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return quiltmap::cli::runCli(arguments, { out, err, ::isatty(STDERR_FILENO) == 1 });
}
