#pragma once
// The process-wide debug log. Diagnostic lines are meant for an external
// debug viewer (a program of its own, named by the value "Pfad" of the key
// Software\Kestrelon\DebugWin32). The logger starts that program when it is
// set, but forwards no lines: every line is accepted and discarded. For the
// developer, lines appear as debug messages of the logging category
// "velamor.debuglog" when that category is switched on
// (QT_LOGGING_RULES="velamor.debuglog.debug=true").
//
// Logging never fails and never blocks; it may be called from any thread.

#include <QString>
#include <QtGlobal>

class TDebug {
public:
    // Reads the viewer's path (creating the key when missing) and starts the
    // viewer when the path is set; logs "Debug.Create".
    TDebug();
    // Logs "Debug.Destroy".
    ~TDebug();

    TDebug(const TDebug&) = delete;
    TDebug& operator=(const TDebug&) = delete;

    // Accepts one line.
    void Log(const QString& text) noexcept;
    // Formats like printf (QString::asprintf) and logs the result.
    void LogFmt(const char* format, ...) noexcept Q_ATTRIBUTE_FORMAT_PRINTF(2, 3);

    // The viewer's path read at creation (empty when none is set).
    const QString& ViewerPath() const { return viewerPath_; }
    // True when the viewer was started at creation.
    bool ViewerStarted() const { return viewerStarted_; }

private:
    QString viewerPath_;
    bool viewerStarted_ = false;
};

// The single logger of the program, created on first use.
TDebug& Debug();

// The banner lines at the start and the end of a run:
// "**** BEGINN ****\t<date time> **** " and "**** ENDE ****\t<date time> **** ".
QString DebugBeginLine();
QString DebugEndLine();

// Called by the program's main at start (creates the logger and logs the
// start banner) and at the end (logs the end banner).
void DebugStart();
void DebugEnd();
