// The print preview: reports laid out page by page, printed through the print
// dialog into PDF files read back with pdftotext, and the preview's commands.
#include "TestEnv.h"

#include "base/ClsIni.h"
#include "base/Settings.h"
#include "model/ClsDate.h"
#include "print/ClsViewPro.h"
#include "print/PageSizes.h"
#include "print/PreviewReports.h"
#include "print/SearchReport.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/controls/SpinButtons.h"
#include "ui/help/ContextIDs.h"
#include "ui/preview/DlgPreview.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

namespace {
const qint32 kDay = 46359; // Saturday 5 December 2026

// The text of a PDF file, one string per page.
QStringList PdfPages(const QString& path) {
    QStringList pages = TestEnv::PdfText(path).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

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
        rows << QStringList{QStringLiteral("T%1").arg(i, 3, 10, QLatin1Char('0')), "Booking",
                            "Contact", "a", "b", "c"};
    return rows;
}

// The rows of a day sheet on a page, by their time cells "Tnnn".
QStringList Rows(const ClsViewPro& view, int page) {
    QStringList rows;
    for (const QString& text : Texts(view, page))
        if (text.size() == 4 && text[0] == 'T' && text[1].isDigit())
            rows << text;
    return rows;
}

void Steps(DlgAppt& appt, DlgPreview& preview) {
    const QList<std::tuple<QString, qint32, QString>> steps = {
        {"ArrowLeft", kDay, "Room A"},           {"btnDateNext", kDay + 1, "Room A"},
        {"SpinDate-", kDay, "Room A"},           {"SpinDate-", kDay - 1, "Room A"},
        {"mnuResourceNext", kDay - 1, "Room B"}, {"Calendar", kDay + 8, "Room B"},
        {"ArrowRight", kDay + 8, "Room C"},      {"ArrowRight", kDay + 8, "Room C"}};
    for (const auto& [command, day, title] : steps) {
        if (command == QLatin1String("btnDateNext"))
            preview.BtnDateNext()->click();
        else if (command == QLatin1String("SpinDate-"))
            emit preview.SpinDate()->SpinClicked(SpinButtons::Decrease);
        else if (command.startsWith(QLatin1String("mnu")))
            preview.MenuAction(command)->trigger();
        else
            preview.ToolbarAction(command)->trigger();
        QCOMPARE(appt.ApptDate(), day);
        QCOMPARE(appt.CbResource()->currentText(), title);
        const QStringList texts = Texts(preview.Viewer(), 1);
        QVERIFY2(texts.contains(title), qPrintable(command));
        QVERIFY(texts.contains(ClsDate::FormatDate(day, "dddd, d mmmm yyyy")));
        // Room A holds a check-up on the 4th and the 5th only.
        QCOMPARE(texts.contains(QStringLiteral("Check-up")), title == "Room A" && day <= kDay);
    }
}

struct Fixture {
    TestEnv env;
    QString pdf;
    bool printCancelled = false;
    int printDialogs = 0;

    // The print dialog prints into a PDF file; the calendar gives the day after next week.
    Fixture() {
        QVERIFY(env.Start());
        pdf = env.Path(QStringLiteral("out.pdf"));
        env.onModal = [this](QDialog* dialog) {
            if (auto* calendar = qobject_cast<DlgCalendar*>(dialog))
                return calendar->SetSelDate(kDay + 8), int(QDialog::Accepted);
            if (!qobject_cast<QPrintDialog*>(dialog) || (++printDialogs, printCancelled))
                return int(QDialog::Rejected);
            return int(TestEnv::PrintToPdf(dialog, pdf) ? QDialog::Accepted : QDialog::Rejected);
        };
    }
    ~Fixture() { DlgAppt::Release(), DlgCalendar::Release(); }

    void Exec(const QString& sql) { env.Sql(sql); }

    // A clinic working 08:00 to 10:00 in 30-minute slots, three rooms; another
    // group's contact and type, never offered.
    void Clinic() {
        Exec("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
             "(1, 'Clinic', 480, 600, 30), (2, 'Other', 480, 600, 30)");
        Exec("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
             "InitTime) values (10, 1, 'Room A', 15, 600, 15), (11, 1, 'Room B', 15, 600, 15), "
             "(12, 1, 'Room C', 15, 600, 15)");
        Exec("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
             "values (20, 1, 'Check-up', 65280, 15, 600, 30), (21, 1, 'Surgery', 65280, 15, 600, "
             "30), (41, 2, 'Audit', 0, 15, 600, 30)");
        Exec("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) values "
             "(30, 'Zoë O''Neil', '', '', ''), (31, 'Adam Smith', '', '', ''), "
             "(32, 'Nobody Booked', '', '', ''), (40, 'Aaron Elsewhere', '', '', '')");
        Exec("insert into tblCustomerGroups (CustomerId, GroupId) values (30, 1), (31, 1), (32, 1), "
             "(40, 2)");
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
    DlgAppt& OpenAppt(qint32 resource) {
        DlgAppt& appt = DlgAppt::Instance();
        appt.SetGroupId(1);
        appt.SetStartTime(480);
        appt.SetResourceId(resource);
        appt.SetTaskId(0);
        appt.SetApptDate(kDay);
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

    // The paper of the printed file follows "Options"/"PageSize"; a code
    // that is no number gives Letter. A printer that cannot open is logged.
    void printFollowsThePageSize() {
        Fixture f;
        for (const auto& [code, points] : {std::pair<QVariant, QSizeF>(5, QSizeF(1224, 792)),
                                           std::pair<QVariant, QSizeF>("A4", QSizeF(612, 792))}) {
            Settings::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("PageSize"), code);
            ClsViewPro view;
            view.SetPageSize(PageSizes::CurrentCode());
            SearchReport::Produce(view, {});
            QVERIFY(view.Print(nullptr));
            const QString info = TestEnv::Output("pdfinfo", {f.pdf});
            const auto paper = QRegularExpression("Page size:\\s+([0-9.]+) x ([0-9.]+) pts").match(info);
            QVERIFY2(qAbs(paper.captured(1).toDouble() - points.width()) < 1 &&
                         qAbs(paper.captured(2).toDouble() - points.height()) < 1, qPrintable(info));
        }
        f.pdf = f.env.Path(QStringLiteral("no such folder/out.pdf"));
        ClsViewPro view;
        SearchReport::Produce(view, {});
        QVERIFY(!view.Print(nullptr));
        QCOMPARE(f.printDialogs, 3);
        QVERIFY(f.env.LogContains(QStringLiteral("ViewPro Error (1): The printer could not be opened")));
        // Pages past the last print nothing and say so.
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(f.env.Path(QStringLiteral("none.pdf")));
        QVERIFY(!view.PaintTo(&printer, view.PageCount() + 1, view.PageCount() + 2));
        QVERIFY(!QFile::exists(printer.outputFileName()));
    }

    // Rows as whole pages plus some: exactly one page starts no empty page.
    void pageBreaks_data() {
        QTest::addColumn<int>("fullPages");
        QTest::addColumn<int>("extraRows");
        QTest::addColumn<int>("expectedPages");
        QTest::newRow("exactly one page") << 1 << 0 << 1;
        QTest::newRow("one over a page") << 1 << 1 << 2;
    }
    void pageBreaks() {
        QFETCH(int, fullPages);
        QFETCH(int, extraRows);
        QFETCH(int, expectedPages);
        ClsViewPro probe;
        PreviewReports(probe).PrintDaySheet(QStringLiteral("Room"), kDay, SlotRows(300));
        const int perPage = Rows(probe, 1).size();
        QVERIFY(perPage > 10);

        ClsViewPro view;
        const int rows = fullPages * perPage + extraRows;
        PreviewReports(view).PrintDaySheet(QStringLiteral("Room"), kDay, SlotRows(rows));
        QCOMPARE(view.PageCount(), expectedPages);
        QStringList all;
        for (int page = 0; page < expectedPages; ++page) {
            const QStringList onPage = Rows(view, page + 1);
            QCOMPARE(onPage.size(), page + 1 < expectedPages ? perPage : rows - page * perPage);
            all += onPage;
            // Each page has its headings, and nothing passes its bottom.
            QVERIFY(Texts(view, page + 1).contains(QStringLiteral("Reserved By")));
            QCOMPARE(view.PageAt(page + 1).header.value(2),
                     QStringLiteral("Page %1").arg(page + 1));
            QCOMPARE(view.PageAt(page + 1).headerFont.pixelSize(), 8 * 20); // 8 points, in twips
            for (const ClsViewPro::Item& item : view.PageAt(page + 1).items)
                QVERIFY(item.y2 <= view.Height() && item.y1 <= view.Height());
        }
        // Every page is full but the last; every row once, in order.
        QCOMPARE(all.size(), rows);
        for (int i = 0; i < rows; ++i)
            QCOMPARE(all[i], QStringLiteral("T%1").arg(i, 3, 10, QLatin1Char('0')));
    }

    // Quotes, semicolons, line breaks and non-ASCII letters; 500 characters.
    void hostileTextsStayInTheirCells_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("odd characters") << QStringLiteral("O'Neil \"Bob\" ; -- '); Zoë\r\nŁódź\tЖуковский ") +
                                               QString(40, QChar(0x6771));
        QTest::newRow("500 characters") << QString(500, QLatin1Char('W'));
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
                // One line, on the page, and crossing no line between two cells.
                QVERIFY(!item.text.contains('\n') && !item.text.contains('\r'));
                QVERIFY2(item.x1 >= 0 && item.x2 <= view->Width(), qPrintable(item.text));
                for (const ClsViewPro::Item& line : columnLines) {
                    const bool beside = item.y2 <= line.y1 || item.y1 >= line.y2;
                    QVERIFY2(beside || !(item.x1 < line.x1 && line.x1 < item.x2),
                             qPrintable(item.text));
                }
            }
            // A text too long for its cell is cut short with an ellipsis.
            const QStringList texts = Texts(*view, 1);
            QVERIFY(text.size() < 100 || std::any_of(texts.begin(), texts.end(), [&](const QString& t) {
                        return t.endsWith(QChar(0x2026)) && text.startsWith(t.chopped(1));
                    }));
        }
    }

    // A day sheet of 289 five-minute slots, paged, printed; then the zoom kept
    // in "Preview"/"Zoom", a cancelled print dialog and Help.
    void fiveMinuteDaySheetPagesThroughTheDay() {
        Fixture f;
        f.Exec("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
               "(1, 'Every five minutes', 0, 1440, 5)");
        f.Exec("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
               "InitTime) values (10, 1, 'Scanner', 15, 600, 15)");
        Settings::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 0);
        DlgAppt& appt = f.OpenAppt(10);
        auto preview = std::make_unique<DlgPreview>(&appt);
        preview->Form_Activate();
        const int count = preview->Viewer().PageCount();
        QVERIFY(count > 2);
        // Paging stops at both ends, and the surface shows the page.
        preview->PageSpin_Click(0);
        QCOMPARE(preview->ViewPro1()->currentPage(), 1);
        for (int page = 1; page <= count; ++page)
            preview->PageSpin_Click(1);
        QVERIFY(preview->ViewPro1()->currentPage() == count &&
                preview->LblPages()->text() == QStringLiteral("Page %1 of %1").arg(count));
        // Printed, every slot appears once, in order, in 12-hour form.
        const QStringList pages = f.Print(*preview);
        QCOMPARE(pages.size(), count);
        QVERIFY(pages.last().simplified().contains(QStringLiteral("Page %1 of %1").arg(count)));
        QStringList times;
        const QRegularExpression slot(QStringLiteral("^\\s*(\\d\\d:\\d\\d [ap]m)\\b"));
        for (const QString& line : pages.join('\n').split('\n'))
            if (const QRegularExpressionMatch m = slot.match(line); m.hasMatch())
                times << m.captured(1);
        QCOMPARE(times.size(), 289);
        QCOMPARE(times.first(), QStringLiteral("00:00 am"));
        QCOMPARE(times[156], QStringLiteral("01:00 pm"));
        QCOMPARE(times.last(), QStringLiteral("12:00 am"));

        preview->CtScroll1()->setValue(150);
        QCOMPARE(Settings::Ini().GetValue(QStringLiteral("Preview"), QStringLiteral("Zoom")),
                 QStringLiteral("150"));
        QCOMPARE(preview->ViewPro1()->zoomFactor(), 1.5);
        QFile::remove(f.pdf);
        f.printCancelled = true;
        preview->MenuAction(QStringLiteral("mnuFilePrint"))->trigger();
        QCOMPARE(f.printDialogs, 2);
        QVERIFY(!QFile::exists(f.pdf));
        QList<int> shown;
        ContextIDs::SetHelpViewer([&](int context) { shown << context; }, {});
        preview->MenuAction(QStringLiteral("mnuHelp"))->trigger();
        ContextIDs::SetHelpViewer({}, {});
        QCOMPARE(shown, QList<int>{ContextIDs::HelpPreview});
        preview = std::make_unique<DlgPreview>(&appt);
        preview->Form_Activate();
        QCOMPARE(preview->ViewPro1()->zoomFactor(), 1.5);
    }

    // Each report as printed, chosen with the option buttons and the list of
    // the group's contacts or types (the first is produced at once).
    void appointmentReports_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("selection"); // empty: the group has no contacts
        QTest::addColumn<int>("military");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("absent");
        const QStringList contacts = {"Adam Smith", "Nobody Booked", "Zoë O'Neil"};
        // The day sheet lists the booking dialog's slots: a booking's first
        // slot in full, its further slots marked "~".
        QTest::newRow("day sheet of the booking dialog")
            << 0 << QString() << 1 << QStringList()
            << QStringList{"Tarvelo", "Room A", "Saturday, 5 December 2026",
                           "Time Booking Reserved By Ref01 Ref02 Ref03",
                           "08:00 to 08:30 Surgery Adam Smith Adam's R2 R3",
                           "09:00 to 09:30 Check-up Zoë O'Neil First R2 R3", "09:30 to 10:00 ~ ~",
                           "10:00 to 10:30", "Day Sheet", "Page 1 of 1"}
            << QStringList{"Later", "Before"};
        QTest::newRow("contact, 24-hour")
            << 1 << QStringLiteral("Zoë O'Neil") << 1 << contacts
            << QStringList{"Zoë O'Neil", "Date Time Task Resource Ref01 Ref02 Ref03",
                           "05 Dec 2026 09:00 - 10:00 Check-up Room A First R2 R3",
                           "08 Dec 2026 08:00 - 08:30 Surgery Room B Later R2 R3",
                           "Appointments by Contact", "Page 1 of 1"}
            << QStringList{"Before", "Adam's", "No Appointments!"};
        QTest::newRow("contact, 12-hour shows the start only")
            << 1 << QStringLiteral("Zoë O'Neil") << 0 << contacts
            << QStringList{"05 Dec 2026 09:00 am Check-up Room A First",
                           "08 Dec 2026 08:00 am Surgery Room B Later"}
            << QStringList{"10:00", " - "};
        QTest::newRow("appointment type, a booking without contact")
            << 2 << QStringLiteral("Check-up") << 1 << QStringList{"Check-up", "Surgery"}
            << QStringList{"Check-up", "Date Time Customer Resource Ref01 Ref02 Ref03",
                           "05 Dec 2026 09:00 - 10:00 Zoë O'Neil Room A First",
                           "06 Dec 2026 08:30 - 09:00 Room C Nobody's", "Appointments by Type"}
            << QStringList{"Before", "Surgery"};
        // Not the bookings that have no contact.
        QTest::newRow("group without contacts")
            << 1 << QString() << 1 << QStringList()
            << QStringList{"No Appointments!"} << QStringList{"Room C", "Nobody's"};
    }

    void appointmentReports() {
        QFETCH(int, kind);
        QFETCH(QString, selection);
        QFETCH(int, military);
        QFETCH(QStringList, offered);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, absent);
        Fixture f;
        f.Clinic();
        if (kind != 0 && selection.isEmpty())
            f.Exec(QStringLiteral("delete from tblCustomerGroups where GroupId = 1"));
        Settings::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"),
                                   military);
        DlgAppt& appt = f.OpenAppt(10);
        DlgPreview preview(&appt);
        preview.Form_Activate();
        if (kind != 0) {
            preview.Option1(kind)->click();
            QStringList entries;
            for (int i = 0; i < preview.CbSelect()->count(); ++i)
                entries << preview.CbSelect()->itemText(i);
            QCOMPARE(entries, offered);
            if (const int index = entries.indexOf(selection); index > 0) {
                preview.CbSelect()->setCurrentIndex(index);
                emit preview.CbSelect()->activated(index);
            }
        }
        const QStringList pages = f.Print(preview);
        QCOMPARE(pages.size(), 1);
        const QString page = pages.first().simplified();
        for (const QString& text : expected)
            QVERIFY2(page.contains(text), qPrintable(text + QStringLiteral("\n") + pages.first()));
        for (const QString& text : absent)
            QVERIFY2(!page.contains(text), qPrintable(text + QStringLiteral("\n") + pages.first()));
    }

    // The booking dialog's Print opens the preview on its resource; then each
    // date and resource command moves the booking dialog and reproduces the sheet.
    void dateAndResourceCommands() {
        Fixture f;
        f.Clinic();
        DlgAppt& appt = f.OpenAppt(11);
        QString title;
        const auto answer = f.env.onModal;
        f.env.onModal = [&](QDialog* dialog) -> int {
            auto* preview = qobject_cast<DlgPreview*>(dialog);
            if (!preview)
                return answer(dialog);
            preview->Form_Activate();
            title = Texts(preview->Viewer(), 1).value(0);
            Steps(appt, *preview);
            return int(QDialog::Rejected);
        };
        appt.MenuAction(QStringLiteral("mnuFilePrint"))->trigger();
        QCOMPARE(title, QStringLiteral("Room B"));
    }
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
