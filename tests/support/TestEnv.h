#pragma once

#include "base/Messages.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QDialog;

// The suites that run on both engines start with this in initTestCase():
// on the server engine without a reachable server they are skipped with the
// reason, except under CI, where that is a failure.
#define REQUIRE_TEST_ENGINE()                                                                    \
    do {                                                                                         \
        const QString why_ = TestEnv::EngineUnavailable();                                       \
        if (!why_.isEmpty()) {                                                                   \
            if (TestEnv::UnderCi())                                                              \
                QFAIL(qPrintable(why_));                                                         \
            QSKIP(qPrintable(why_));                                                             \
        }                                                                                        \
    } while (false)

// For the cases about the SQLite file itself (its folder, renames, locks).
#define SQLITE_FILE_ONLY()                                                                       \
    do {                                                                                         \
        if (TestEnv::OnServer())                                                                 \
            QSKIP("about the SQLite database file");                                             \
    } while (false)

// A program folder of its own for one test: a fresh database, the settings
// file, the error log, and the message-box and modal-window seams answered
// by the test instead of a user.
class TestEnv {
public:
    struct Box {
        Messages::BoxKind kind;
        QString title;
        QString text;
    };

    TestEnv();
    ~TestEnv();

    QString Folder() const;
    QString Path(const QString& name) const; // a file in the program folder
    // The database: a file in the program folder, or on the server engine a
    // database of its own on the test server, dropped again at the end.
    QString DbPath() const;
    QString IniPath() const;

    // Creates an empty database in the program folder.
    bool CreateDatabase();
    // Creates the database and runs the program's start-up.
    bool Start();
    void Stop();

    QStringList LogLines() const; // the error log without the date and time
    bool LogContains(const QString& text) const;
    void ClearLog();

    // Message boxes shown so far; Confirm boxes take their answers from the
    // queue (No when it is empty).
    QList<Box> boxes;
    QList<bool> confirmAnswers;
    // Called for every modal window instead of exec(); returns its result code.
    std::function<int(QDialog*)> onModal;
    QList<QDialog*> modalsShown;

    // Makes every `statement` ("insert", "update", "delete") on `table` fail
    // with `message`, as a failing disk or a broken table would; with `when`
    // (a condition on the row, "new.Name = 'x'") only the rows it holds for.
    void RefuseWrites(const QString& statement, const QString& table, const QString& message,
                      const QString& when = QString()) const;

    // Runs an SQL statement straight on a connection of its own (another
    // workstation); returns the first column of the first row for a query.
    QVariant Sql(const QString& sql) const;
    int Count(const QString& fromWhere) const; // "select count(*) from " + fromWhere

    // A file's bytes, empty when it cannot be read; writing a whole file.
    static QByteArray ReadFile(const QString& path);
    static bool WriteFile(const QString& path, const QByteArray& bytes);
    // What a program run to its end writes on its standard output.
    static QString Output(const QString& program, const QStringList& arguments);
    // The text of a PDF file as pdftotext -layout reads it, pages split by form feeds.
    static QString PdfText(const QString& path) { return Output("pdftotext", {"-layout", path, "-"}); }
    // Answers a print dialog by printing into the PDF file `pdf`; false for
    // any other window, which is left alone.
    static bool PrintToPdf(QDialog* dialog, const QString& pdf);

    // The engine under test: TARVELO_TEST_ENGINE=postgresql runs on a server
    // named by TARVELO_TEST_PG (a URI of its maintenance database).
    static bool OnServer();
    static QString ServerUri();
    static bool UnderCi();
    // Empty when the engine under test can be used, else why not.
    static QString EngineUnavailable();
    // Runs a statement on the test server's maintenance database.
    static bool ServerAdmin(const QString& sql, QString* error = nullptr);

private:
    // The server database every test's database is copied from.
    static QString TemplateDatabase();
    void DropServerDatabase();
    // Runs one statement on a connection of its own; `first` takes the first
    // column of the first row.
    static bool RunStatement(const QString& connStr, const QString& sql, QVariant* first,
                             QString* error);

    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_started = false;
    QString m_serverDatabase; // the server database's name
    bool m_serverCreated = false;
};
