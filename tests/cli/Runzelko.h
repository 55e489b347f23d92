#pragma once
// Runs the real zelko executable, as a user's script would, and captures what it says.

#include <QProcess>
#include <QStringList>

#include <string>
#include <vector>

struct ZelkoRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline ZelkoRun RunZelko(const std::vector<std::string>& args, int timeoutMs = 120000) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    QProcess process;
    process.start(QStringLiteral(ZELKO_EXE), list);
    ZelkoRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = "zelko did not finish";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}
