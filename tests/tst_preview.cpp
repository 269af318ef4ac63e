// The print preview and its page surface: reports laid out page by page,
// printed through the print dialog into PDF files whose text is read back
// with pdftotext, paged, zoomed and driven by their toolbar and menus.
#include "TestEnv.h"

#include "app/ClsIni.h"
#include "app/ContextIDs.h"
#include "model/ClsDate.h"
#include "print/ClsViewPro.h"
#include "print/DlgPreview.h"
#include "print/PageSizes.h"
#include "print/PreviewReports.h"
#include "print/SearchReport.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/SpinButtons.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

namespace {
const qint32 kDay = 46359; // Saturday 5 December 2026

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of a PDF file, one string per page, in its printed layout.
QStringList PdfPages(const QString& path) {
    QStringList pages =
        Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")})
            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The paper of the first page of a PDF file, in points.
QSizeF PdfPaper(const QString& path) {
    const QRegularExpression size(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"));
    const QRegularExpressionMatch match = size.match(Run(QStringLiteral("pdfinfo"), {path}));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                            : QSizeF();
}

// A line of a PDF page with its runs of blanks made single.
QString Squeezed(const QString& text) {
    return text.simplified();
}

// The texts drawn on a page of the surface, in drawing order.
QStringList Texts(const ClsViewPro& view, int page) {
    QStringList texts;
    for (const ClsViewPro::Item& item : view.PageAt(page).items)
        if (item.kind == ClsViewPro::Item::Text)
            texts << item.text;
    return texts;
}

QList<QStringList> SlotRows(int count) {
    QList<QStringList> rows;
    for (int i = 0; i < count; ++i)
        rows << QStringList{QStringLiteral("T%1").arg(i, 3, 10, QLatin1Char('0')),
                            QStringLiteral("Booking"),
                            QStringLiteral("Contact"),
                            QStringLiteral("a"),
                            QStringLiteral("b"),
                            QStringLiteral("c")};
    return rows;
}

// The rows of a day sheet on each page, by their time cells "Tnnn".
QList<QStringList> RowsByPage(const ClsViewPro& view) {
    QList<QStringList> pages;
    for (int page = 1; page <= view.PageCount(); ++page) {
        QStringList rows;
        for (const QString& text : Texts(view, page))
            if (QRegularExpression(QStringLiteral("^T\\d{3}$")).match(text).hasMatch())
                rows << text;
        pages << rows;
    }
    return pages;
}

struct Fixture {
    TestEnv env;
    QString pdf;
    bool printCancelled = false;
    int printDialogs = 0;

    Fixture() {
        QVERIFY(env.Start());
        pdf = env.Path(QStringLiteral("out.pdf"));
        // The print dialog is answered by pointing its printer at a PDF file.
        env.onModal = [this](QDialog* dialog) {
            // The calendar is answered with the day after next week.
            if (auto* calendar = qobject_cast<DlgCalendar*>(dialog)) {
                calendar->SetSelDate(kDay + 8);
                return int(QDialog::Accepted);
            }
            auto* print = qobject_cast<QPrintDialog*>(dialog);
            if (!print)
                return int(QDialog::Rejected);
            ++printDialogs;
            if (printCancelled)
                return int(QDialog::Rejected);
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        };
    }
    ~Fixture() {
        DlgAppt::Release();
        DlgCalendar::Release();
    }

    void Exec(const QString& sql) { env.Sql(sql); }
    void Setting(const QString& section, const QString& key, const QVariant& value) {
        ModMain::Ini().WriteValue(section, key, value);
    }

    // A clinic working 08:00 to 10:00 in 30-minute slots, three rooms.
    void Clinic() {
        Exec("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
             "(1, 'Clinic', 480, 600, 30)");
        Exec("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
             "InitTime) values (10, 1, 'Room A', 15, 600, 15), (11, 1, 'Room B', 15, 600, 15), "
             "(12, 1, 'Room C', 15, 600, 15)");
        Exec("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
             "values (20, 1, 'Check-up', 65280, 15, 600, 30), (21, 1, 'Surgery', 65280, 15, 600, "
             "30)");
        Exec("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) values "
             "(30, 'Zoë O''Neil', '', '', ''), (31, 'Adam Smith', '', '', ''), "
             "(32, 'Nobody Booked', '', '', '')");
        Exec(
            "insert into tblCustomerGroups (CustomerId, GroupId) values (30, 1), (31, 1), (32, 1)");
        Exec(QStringLiteral(
                 "insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, BookingDate, "
                 "BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, Comments) values "
                 "(100, 10, 20, 30, %1, 540, 600, 0, 'First', 'R2', 'R3', ''), "
                 "(101, 11, 21, 30, %1 + 3, 480, 510, 0, 'Later', 'R2', 'R3', ''), "
                 "(102, 10, 20, 30, %1 - 1, 480, 510, 0, 'Before', 'R2', 'R3', ''), "
                 "(103, 12, 20, 0, %1 + 1, 510, 540, 0, 'Nobody''s', 'R2', 'R3', ''), "
                 "(104, 10, 21, 31, %1, 480, 510, 0, 'Adam''s', 'R2', 'R3', '')")
                 .arg(kDay));
    }

    // Opens the booking dialog on a resource and day, as the main window does.
    DlgAppt& OpenAppt(qint32 resource, qint32 day = kDay) {
        DlgAppt& appt = DlgAppt::Instance();
        appt.SetGroupId(1);
        appt.SetStartTime(480);
        appt.SetResourceId(resource);
        appt.SetTaskId(0);
        appt.SetApptDate(day);
        appt.Form_Activate();
        return appt;
    }

    // Prints through the toolbar into the PDF file; its pages' text.
    QStringList Print(DlgPreview& preview) {
        QFile::remove(pdf);
        preview.Toolbar1_ButtonClick(QStringLiteral("Print"));
        return PdfPages(pdf);
    }
};
} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }

    // The paper of the printed file follows "Options"/"PageSize".
    void pageSizesFollowTheSetting_data() {
        QTest::addColumn<QVariant>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSizeF>("points");
        QTest::newRow("3 Executive, a size of its own")
            << QVariant(3) << "Executive 7.5x10.5in" << QSizeF(540, 756);
        QTest::newRow("5 Ledger is landscape")
            << QVariant(5) << "Ledger 17x11in" << QSizeF(1224, 792);
        QTest::newRow("A4 by name is no code: Letter") << QVariant("A4") << "" << QSizeF(612, 792);
    }
    void pageSizesFollowTheSetting() {
        QFETCH(QVariant, code);
        QFETCH(QString, text);
        QFETCH(QSizeF, points);
        Fixture f;
        f.Setting(QStringLiteral("Options"), QStringLiteral("PageSize"), code);
        if (!text.isEmpty())
            QCOMPARE(PageSizes::Text(code.toInt()), text);
        ClsViewPro view;
        view.SetPageSize(PageSizes::CurrentCode());
        SearchReport::Produce(view, {});
        QVERIFY(view.Print(nullptr));
        const QSizeF paper = PdfPaper(f.pdf);
        QVERIFY2(qAbs(paper.width() - points.width()) < 1 &&
                     qAbs(paper.height() - points.height()) < 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(paper.width()).arg(paper.height())));
    }

    // Rows are given as whole pages plus some: the rows one page holds are
    // found by the first test row.
    void pageBreaks_data() {
        QTest::addColumn<int>("fullPages");
        QTest::addColumn<int>("extraRows");
        QTest::addColumn<int>("expectedPages");
        QTest::newRow("one row") << 0 << 1 << 1;
        QTest::newRow("exactly one page starts no empty page") << 1 << 0 << 1;
        QTest::newRow("one over a page") << 1 << 1 << 2;
        QTest::newRow("exactly three pages") << 3 << 0 << 3;
    }
    void pageBreaks() {
        QFETCH(int, fullPages);
        QFETCH(int, extraRows);
        QFETCH(int, expectedPages);
        ClsViewPro probe;
        PreviewReports(probe).PrintDaySheet(QStringLiteral("Room"), kDay, SlotRows(300));
        const int perPage = RowsByPage(probe).first().size();
        QVERIFY(perPage > 10);

        ClsViewPro view;
        QList<int> labels;
        PreviewReports reports(view);
        reports.OnPageStarted([&](int page, int count) {
            QCOMPARE(count, page);
            labels << page;
        });
        const int rows = fullPages * perPage + extraRows;
        reports.PrintDaySheet(QStringLiteral("Room"), kDay, SlotRows(rows));
        QCOMPARE(view.PageCount(), expectedPages);
        QCOMPARE(view.CurrentPage(), 1);
        QCOMPARE(labels.size(), expectedPages - 1);
        const QList<QStringList> byPage = RowsByPage(view);
        QStringList all;
        for (int page = 0; page < byPage.size(); ++page) {
            // Every page is full but the last, which holds the rest.
            QCOMPARE(byPage[page].size(),
                     page + 1 < byPage.size() ? perPage : rows - page * perPage);
            all += byPage[page];
            // Each page has its top and headings, and nothing passes its bottom.
            const QStringList texts = Texts(view, page + 1);
            QVERIFY(texts.contains(QStringLiteral("Room")));
            QVERIFY(texts.contains(QStringLiteral("Reserved By")));
            QCOMPARE(view.PageAt(page + 1).header.value(2),
                     QStringLiteral("Page %1").arg(page + 1));
            for (const ClsViewPro::Item& item : view.PageAt(page + 1).items)
                QVERIFY(item.y2 <= view.Height() && item.y1 <= view.Height());
        }
        // Every row once, in order.
        QStringList times;
        for (const QStringList& r : SlotRows(rows))
            times << r.first();
        QCOMPARE(all, times);
    }

    void hostileTextsStayInTheirCells_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("quotes, semicolons and non-ASCII letters")
            << QStringLiteral("O'Neil \"Bob\" '' ; -- '); Zoë Łódź Жуковский ") +
                   QString(40, QChar(0x6771));
        QTest::newRow("500 characters") << QString(500, QLatin1Char('W'));
        QTest::newRow("line breaks") << QStringLiteral("first line\r\nsecond line\tand a tab");
    }
    void hostileTextsStayInTheirCells() {
        QFETCH(QString, text);
        ClsViewPro day;
        PreviewReports(day).PrintDaySheet(text, kDay, {QStringList(6, text)});
        ClsViewPro list;
        PreviewReports::Appointment row{kDay, 540, 600, text, text, text, text, text};
        PreviewReports(list).PrintAppointments(PreviewReports::TypeReport, text, kDay, {row}, true);
        ClsViewPro search;
        SearchReport::Produce(search, {QStringList(7, text)});

        for (ClsViewPro* view : {&day, &list, &search}) {
            QCOMPARE(view->PageCount(), 1);
            QVector<ClsViewPro::Item> columnLines;
            for (const ClsViewPro::Item& item : view->PageAt(1).items)
                if (item.kind == ClsViewPro::Item::Line && item.x1 == item.x2)
                    columnLines << item;
            for (const ClsViewPro::Item& item : view->PageAt(1).items) {
                if (item.kind != ClsViewPro::Item::Text)
                    continue;
                QVERIFY(!item.text.contains(QLatin1Char('\n')) &&
                        !item.text.contains(QLatin1Char('\r')));
                QVERIFY2(item.x1 >= 0 && item.x2 <= view->Width(), qPrintable(item.text));
                // No text crosses a line between two cells.
                for (const ClsViewPro::Item& line : columnLines) {
                    const bool beside = item.y2 <= line.y1 || item.y1 >= line.y2;
                    QVERIFY2(beside || !(item.x1 < line.x1 && line.x1 < item.x2),
                             qPrintable(item.text));
                }
            }
            // A text too long for its cell is cut short with an ellipsis.
            if (text.size() > 100) {
                const QStringList texts = Texts(*view, 1);
                QVERIFY(!texts.contains(text));
                QVERIFY(std::any_of(texts.begin(), texts.end(), [&](const QString& t) {
                    return t.endsWith(QChar(0x2026)) && text.startsWith(t.chopped(1));
                }));
            }
        }
        // The title gives way to the date beside it.
        const QVector<ClsViewPro::Item>& items = day.PageAt(1).items;
        const QString date = ClsDate::FormatDate(kDay, QStringLiteral("dddd, d mmmm yyyy"));
        const auto dateItem = std::find_if(
            items.begin(), items.end(), [&](const ClsViewPro::Item& i) { return i.text == date; });
        QVERIFY(dateItem != items.end());
        for (const ClsViewPro::Item& item : items)
            if (item.kind == ClsViewPro::Item::Text && item.y1 == dateItem->y1 &&
                &item != &*dateItem)
                QVERIFY(item.x2 < dateItem->x1);
    }

    // ---------------------------------------------------------------------------
    // The preview window

    void fiveMinuteDaySheetPagesThroughTheDay() {
        Fixture f;
        f.Exec("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
               "(1, 'Every five minutes', 0, 1440, 5)");
        f.Exec("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
               "InitTime) values (10, 1, 'Scanner', 15, 600, 15)");
        f.Setting(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 0);
        DlgAppt& appt = f.OpenAppt(10);
        QCOMPARE(appt.LbTimeSlot()->RowCount(), 289);
        DlgPreview preview(&appt);
        preview.Form_Activate();
        const int count = preview.Viewer().PageCount();
        QVERIFY(count > 2);
        const auto shows = [&](int page) {
            return preview.LblPages()->text() ==
                       QStringLiteral("Page %1 of %2").arg(page).arg(count) &&
                   preview.ViewPro1()->currentPage() == page;
        };
        // Paging stops at both ends, and the surface shows the page.
        QVERIFY(shows(1));
        preview.PageSpin_Click(0);
        QVERIFY(shows(1));
        for (int page = 2; page <= count + 1; ++page)
            preview.PageSpin_Click(1);
        QVERIFY(shows(count));
        preview.PageSpin_Click(0);
        QVERIFY(shows(count - 1));

        // Printed, every slot appears once, in order, in 12-hour form.
        const QStringList pages = f.Print(preview);
        QCOMPARE(pages.size(), count);
        QVERIFY(Squeezed(pages.last()).contains(QStringLiteral("Page %1 of %1").arg(count)));
        QStringList times;
        const QRegularExpression slot(QStringLiteral("^\\s*(\\d\\d:\\d\\d [ap]m)\\b"));
        for (const QString& page : pages)
            for (const QString& line : page.split(QLatin1Char('\n')))
                if (const QRegularExpressionMatch m = slot.match(line); m.hasMatch())
                    times << m.captured(1);
        QCOMPARE(times.size(), 289);
        QCOMPARE(times.first(), QStringLiteral("00:00 am"));
        QCOMPARE(times[156], QStringLiteral("01:00 pm"));
        QCOMPARE(times.last(), QStringLiteral("12:00 am"));
    }

    void appointmentReports_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<int>("military");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("absent");
        // The day sheet lists the booking dialog's slots: a booking's first
        // slot in full, its further slots marked "~".
        QTest::newRow("day sheet of the booking dialog")
            << 0 << QString() << 1
            << QStringList{"Tarvelo",
                           "Room A",
                           "Saturday, 5 December 2026",
                           "Time Booking Reserved By Ref01 Ref02 Ref03",
                           "08:00 to 08:30 Surgery Adam Smith Adam's R2 R3",
                           "09:00 to 09:30 Check-up Zoë O'Neil First R2 R3",
                           "09:30 to 10:00 ~ ~",
                           "10:00 to 10:30",
                           "Day Sheet",
                           "Page 1 of 1"}
            << QStringList{"Later", "Before"};
        QTest::newRow("contact, 24-hour")
            << 1 << QStringLiteral("Zoë O'Neil") << 1
            << QStringList{QStringLiteral("Date Time Task Resource Ref01 Ref02 Ref03"),
                           QStringLiteral("05 Dec 2026 09:00 - 10:00 Check-up Room A First R2 R3"),
                           QStringLiteral("08 Dec 2026 08:00 - 08:30 Surgery Room B Later R2 R3"),
                           QStringLiteral("Appointments by Contact"), QStringLiteral("Page 1 of 1")}
            << QStringList{QStringLiteral("Before"), QStringLiteral("Adam's"),
                           QStringLiteral("No Appointments!")};
        QTest::newRow("contact, 12-hour shows the start only")
            << 1 << QStringLiteral("Zoë O'Neil") << 0
            << QStringList{QStringLiteral("05 Dec 2026 09:00 am Check-up Room A First"),
                           QStringLiteral("08 Dec 2026 08:00 am Surgery Room B Later")}
            << QStringList{QStringLiteral("10:00"), QStringLiteral(" - ")};
        QTest::newRow("appointment type, a booking without contact")
            << 2 << QStringLiteral("Check-up") << 1
            << QStringList{QStringLiteral("Date Time Customer Resource Ref01 Ref02 Ref03"),
                           QStringLiteral("05 Dec 2026 09:00 - 10:00 Zoë O'Neil Room A First"),
                           QStringLiteral("06 Dec 2026 08:30 - 09:00 Room C Nobody's"),
                           QStringLiteral("Appointments by Type")}
            << QStringList{QStringLiteral("Before"), QStringLiteral("Surgery")};
        QTest::newRow("contact without appointments")
            << 1 << QStringLiteral("Nobody Booked") << 1
            << QStringList{QStringLiteral("No Appointments!")}
            << QStringList{QStringLiteral("Ref01"), QStringLiteral("Room")};
    }

    void appointmentReports() {
        QFETCH(int, kind);
        QFETCH(QString, selection);
        QFETCH(int, military);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, absent);
        Fixture f;
        f.Clinic();
        f.Setting(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), military);
        DlgAppt& appt = f.OpenAppt(10);
        DlgPreview preview(&appt);
        preview.Form_Activate();
        if (kind != 0) {
            preview.Option1_Click(kind);
            const int index = preview.CbSelect()->findText(selection);
            QVERIFY(index >= 0);
            preview.CbSelect()->setCurrentIndex(index);
            emit preview.CbSelect()->activated(index);
        }
        QCOMPARE(preview.LblPages()->text(), QStringLiteral("Page 1 of 1"));
        const QStringList pages = f.Print(preview);
        QCOMPARE(pages.size(), 1);
        const QString page = Squeezed(pages.first());
        for (const QString& text : expected)
            QVERIFY2(page.contains(text), qPrintable(text + QStringLiteral("\n") + pages.first()));
        for (const QString& text : absent)
            QVERIFY2(!page.contains(text), qPrintable(text + QStringLiteral("\n") + pages.first()));
        if (!expected.contains(QStringLiteral("No Appointments!")))
            QVERIFY(page.contains(selection));
    }

    void optionButtonsChooseTheReport() {
        Fixture f;
        f.Clinic();
        // Contacts and types of another group are not offered.
        f.Exec("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
               "(2, 'Other', 480, 600, 30)");
        f.Exec("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) values "
               "(40, 'Aaron Elsewhere', '', '', '')");
        f.Exec("insert into tblCustomerGroups (CustomerId, GroupId) values (40, 2)");
        f.Exec(
            "insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
            "values (41, 2, 'Audit', 0, 15, 600, 30)");
        DlgAppt& appt = f.OpenAppt(10);
        DlgPreview preview(&appt);
        preview.Form_Activate();

        auto entries = [&] {
            QStringList texts;
            for (int i = 0; i < preview.CbSelect()->count(); ++i)
                texts << preview.CbSelect()->itemText(i);
            return texts;
        };
        preview.Option1(1)->click();
        QCOMPARE(preview.ReportKind(), 1);
        QVERIFY(preview.CbSelect()->isEnabled());
        QCOMPARE(entries(),
                 (QStringList{QStringLiteral("Adam Smith"), QStringLiteral("Nobody Booked"),
                              QStringLiteral("Zoë O'Neil")}));
        // The first entry's report is produced at once.
        QVERIFY(Texts(preview.Viewer(), 1).contains(QStringLiteral("Adam Smith")));
        QVERIFY(Texts(preview.Viewer(), 1).contains(QStringLiteral("Task")));

        preview.Option1(2)->click();
        QCOMPARE(entries(), (QStringList{QStringLiteral("Check-up"), QStringLiteral("Surgery")}));
        QVERIFY(Texts(preview.Viewer(), 1).contains(QStringLiteral("Customer")));

        // A group without contacts: nothing to choose, no appointments (not
        // the bookings that have no contact).
        f.Exec(QStringLiteral("delete from tblCustomerGroups where GroupId = 1"));
        preview.Option1(1)->click();
        QCOMPARE(preview.CbSelect()->count(), 0);
        QVERIFY(Texts(preview.Viewer(), 1).contains(QStringLiteral("No Appointments!")));
        QVERIFY(!Texts(preview.Viewer(), 1).contains(QStringLiteral("Room C")));

        preview.Option1(0)->click();
        QCOMPARE(preview.CbSelect()->count(), 0);
        QVERIFY(!preview.CbSelect()->isEnabled());
        QVERIFY(Texts(preview.Viewer(), 1).contains(QStringLiteral("Reserved By")));
        QVERIFY(preview.ToolbarAction(QStringLiteral("Print"))->isEnabled());
    }

    void dateAndResourceCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<qint32>("startResource");
        QTest::addColumn<qint32>("day");
        QTest::addColumn<QString>("title");
        QTest::newRow("next day button") << "btnDateNext" << 10 << kDay + 1 << "Room A";
        QTest::newRow("date spin left") << "SpinDate-" << 10 << kDay - 1 << "Room A";
        QTest::newRow("calendar") << "Calendar" << 11 << kDay + 8 << "Room B";
        QTest::newRow("next resource menu") << "mnuResourceNext" << 11 << kDay << "Room C";
        QTest::newRow("next resource at the last") << "ArrowRight" << 12 << kDay << "Room C";
        QTest::newRow("previous resource at the first") << "ArrowLeft" << 10 << kDay << "Room A";
    }
    void dateAndResourceCommands() {
        QFETCH(QString, command);
        QFETCH(qint32, startResource);
        QFETCH(qint32, day);
        QFETCH(QString, title);
        Fixture f;
        f.Clinic();
        DlgAppt& appt = f.OpenAppt(startResource);
        DlgPreview preview(&appt);
        preview.Form_Activate();
        if (command == QLatin1String("btnDateNext"))
            preview.BtnDateNext()->click();
        else if (command == QLatin1String("SpinDate-"))
            emit preview.SpinDate()->SpinClicked(SpinButtons::Decrease);
        else if (command.startsWith(QLatin1String("mnu")))
            preview.MenuAction(command)->trigger();
        else
            preview.ToolbarAction(command)->trigger();
        // The booking dialog follows, and the report is produced for it again.
        QCOMPARE(appt.ApptDate(), day);
        QCOMPARE(appt.CbResource()->currentText(), title);
        const QStringList texts = Texts(preview.Viewer(), 1);
        QVERIFY2(texts.contains(title), qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(texts.contains(ClsDate::FormatDate(day, QStringLiteral("dddd, d mmmm yyyy"))));
        // The rows are the dialog's rows of that day and resource.
        QCOMPARE(RowsByPage(preview.Viewer()).size(), 1);
        QVERIFY(texts.contains(appt.LbTimeSlot()->CellText(0, 0)));
        bool booked = false;
        for (int row = 0; row < appt.LbTimeSlot()->RowCount(); ++row)
            booked = booked || appt.LbTimeSlot()->CellText(row, 1) == QLatin1String("Check-up");
        QCOMPARE(texts.contains(QStringLiteral("Check-up")), booked);
    }

    void zoomIsKeptInTheSettings() {
        Fixture f;
        f.Clinic();
        DlgAppt& appt = f.OpenAppt(10);
        {
            DlgPreview preview(&appt);
            preview.Form_Activate();
            QCOMPARE(preview.CtScroll1()->value(), 100);
            preview.CtScroll1()->setValue(150);
            QCOMPARE(ModMain::Ini().GetValue(QStringLiteral("Preview"), QStringLiteral("Zoom")),
                     QStringLiteral("150"));
            QCOMPARE(preview.ViewPro1()->zoomFactor(), 1.5);
            // Paging keeps the zoom.
            preview.PageSpin_Click(1);
            QCOMPARE(preview.ViewPro1()->zoomFactor(), 1.5);
        }
        DlgPreview again(&appt);
        again.Form_Activate();
        QCOMPARE(again.CtScroll1()->value(), 150);
        QCOMPARE(again.ViewPro1()->zoomFactor(), 1.5);
    }

    void printDialogCancelledPrintsNothing() {
        Fixture f;
        f.Clinic();
        DlgAppt& appt = f.OpenAppt(10);
        DlgPreview preview(&appt);
        preview.Form_Activate();
        f.printCancelled = true;
        QFile::remove(f.pdf);
        preview.MenuAction(QStringLiteral("mnuFilePrint"))->trigger();
        QCOMPARE(f.printDialogs, 1);
        QVERIFY(!QFile::exists(f.pdf));
        QVERIFY(preview.ToolbarAction(QStringLiteral("Print"))->isEnabled());
        // Help opens its topic.
        QList<int> shown;
        ContextIDs::SetHelpViewer([&](int context) { shown << context; }, {});
        preview.MenuAction(QStringLiteral("mnuHelp"))->trigger();
        ContextIDs::SetHelpViewer({}, {});
        QCOMPARE(shown, QList<int>{ContextIDs::HelpPreview});
    }

    void printerThatCannotOpenIsLogged() {
        Fixture f;
        f.pdf = f.env.Path(QStringLiteral("no such folder/out.pdf"));
        ClsViewPro view;
        SearchReport::Produce(view, {});
        QVERIFY(!view.Print(nullptr));
        QCOMPARE(f.printDialogs, 1);
        QVERIFY(f.env.LogContains(
            QStringLiteral("ViewPro Error (1): The printer could not be opened")));
    }

    void bookingDialogPrintOpensThePreview() {
        Fixture f;
        f.Clinic();
        DlgAppt& appt = f.OpenAppt(11);
        QString title;
        bool toolbarOff = false;
        f.env.onModal = [&](QDialog* dialog) -> int {
            auto* preview = qobject_cast<DlgPreview*>(dialog);
            if (!preview)
                return int(QDialog::Rejected);
            // While the preview is up, the booking dialog's toolbar is off.
            toolbarOff = !appt.ToolbarAction(QStringLiteral("Print"))->isEnabled();
            preview->Form_Activate();
            title = Texts(preview->Viewer(), 1).value(0);
            return int(QDialog::Rejected);
        };
        appt.MenuAction(QStringLiteral("mnuFilePrint"))->trigger();
        QCOMPARE(title, QStringLiteral("Room B"));
        QVERIFY(toolbarOff);
        QVERIFY(appt.ToolbarAction(QStringLiteral("Print"))->isEnabled());
    }
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
