#pragma once

#include "programsettings.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line of the batch mode (tessary --batch / --plan, or
// tessary-batch), read without touching anything: a pure function.
struct TBatchOptions
{
    bool printPlan = false;  // --plan without --batch: print the plan, run nothing
    QString planFile;        // --batch --plan FILE ("-" is standard input)
    QString queueFile;       // --queue FILE
    QString settingsFile;    // --settings FILE
    std::optional<QString> target;
    std::optional<int> jobs;
    std::optional<TExistingOutput> existing;
    bool decode = false;
    bool deleteSource = false;
    bool json = false;
    bool help = false;
    QStringList sources;
    QString error; // bad usage: what was wrong

    // arguments without the program's name.
    static TBatchOptions Parse(const QStringList& arguments);
};
