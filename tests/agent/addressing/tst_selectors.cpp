#include "addressing/selector.h"
#include "addressing/widgetaddressing.h"
#include "addressing/widgetcatalog.h"
#include "testmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(LookupErrorKind)

namespace {

QString termsOf(const Selector &selector)
{
    QStringList terms;
    for (const Selector::Term &term : selector.terms())
        terms << term.key + (term.contains ? "~" : "=") + term.value;
    if (selector.nth())
        terms << QStringLiteral("nth=%1").arg(selector.nth());
    return terms.join(';');
}

LookupResult resolve(const QString &window, const QString &path)
{
    ResolveVariant variant;
    variant.selectors = true;
    return WidgetAddressing::resolveWidget(window, path, variant);
}

// A settings dialog as applications build them in code: almost nothing has an object name.
struct Settings
{
    Settings()
    {
        window.setObjectName("settings");
        window.setWindowTitle("Settings");
        auto *layout = new QVBoxLayout(&window);

        auto *form = new QFormLayout;
        name = new QLineEdit;
        form->addRow("&Name:", name);
        mail = new QLineEdit;
        form->addRow("E-mail:", mail);
        layout->addLayout(form);

        auto *address = new QGroupBox("Address");
        auto *grid = new QGridLayout(address);
        const char *fields[] = {"Street:", "City:", "Zip:"};
        for (int row = 0; row < 3; ++row) {
            grid->addWidget(new QLabel(fields[row]), row, 0);
            addressEdits << new QLineEdit;
            grid->addWidget(addressEdits.last(), row, 1);
        }
        layout->addWidget(address);

        auto *panel = new QWidget;
        panel->setObjectName("panel");
        auto *panelLayout = new QVBoxLayout(panel);
        for (int i = 0; i < 2; ++i) {
            panelEdits << new QLineEdit;
            panelLayout->addWidget(panelEdits.last());
        }
        layout->addWidget(panel);

        tabs = new QTabWidget;
        tabs->addTab(new QLabel("general things"), "&General");
        auto *advanced = new QWidget;
        wrap = new QCheckBox("Wrap lines", advanced);
        wrap->setChecked(true);
        tabs->addTab(advanced, "Advanced");
        layout->addWidget(tabs);

        save = new QToolButton;
        save->setToolTip("Save the file");
        layout->addWidget(save);
        ok = new QPushButton("&OK");
        layout->addWidget(ok);
        auto *hidden = new QPushButton("Hidden");
        layout->addWidget(hidden);
        hidden->hide();
        window.show();
    }

    QDialog window;
    QLineEdit *name;
    QLineEdit *mail;
    QList<QLineEdit *> addressEdits;
    QList<QLineEdit *> panelEdits;
    QTabWidget *tabs;
    QCheckBox *wrap;
    QToolButton *save;
    QPushButton *ok;
};

// A window class of the program's own, as an application declares its main window.
class EditorWindow : public QWidget
{
    Q_OBJECT
};

bool holdsValue(const QWidget *widget)
{
    return widget->inherits("QLineEdit") || widget->inherits("QComboBox") ||
           widget->inherits("QAbstractSpinBox") || widget->inherits("QPlainTextEdit") ||
           widget->inherits("QAbstractSlider");
}

// What a person typing or choosing leaves in the field: a value it did not hold.
void enterNewValue(QWidget *widget)
{
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->setText(edit->text() + "0");
    else if (auto *combo = qobject_cast<QComboBox *>(widget))
        combo->setCurrentIndex((combo->currentIndex() + 1) % combo->count());
    else if (auto *spin = qobject_cast<QSpinBox *>(widget))
        spin->setValue(spin->value() + 1);
    else if (auto *text = qobject_cast<QPlainTextEdit *>(widget))
        text->setPlainText(text->toPlainText() + "0");
    else if (auto *slider = qobject_cast<QAbstractSlider *>(widget))
        slider->setValue(slider->value() + 1);
}

} // namespace

class tst_Selectors : public QObject
{
    Q_OBJECT

private slots:
    void syntax_data();
    void syntax();
    void pathsSplitOutsideSelectors();
    void writtenValuesReadBack();
    void resolution_data();
    void resolution();
    void windowsBySelector();
    void everyListedAddressFindsItsWidget();
    void everyListedWindowAddressFindsItsWindow();
    void listedAddressesOfFieldsOutlastTheirValues();
    void windowAddressesOutlastTitles();
};

void tst_Selectors::syntax_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("terms"); // or the error
    QTest::newRow("class and text") << "{QPushButton text=OK}"
                                    << "type=QPushButton;text=OK";
    QTest::newRow("blanks and quotes") << "{ type=QLineEdit  label='First name:' }"
                                       << "type=QLineEdit;label=First name:";
    QTest::newRow("escapes") << "{text='It''s 50%25 off%2C today'}"
                             << "text=It's 50% off, today";
    QTest::newRow("contains and position") << "{text~Save nth=2}"
                                           << "text~Save;nth=2";
    QTest::newRow("braces and slashes in quotes") << "{title='a/b}c'}"
                                                  << "title=a/b}c";
    QTest::newRow("UTF-8 bytes") << "{name=%E6%95%B0}"
                                 << "name=\u6570";
    QTest::newRow("a lone percent") << "{text=100%}"
                                    << "text=100%";
    QTest::newRow("empty value") << "{text=}"
                                 << "text=";
    QTest::newRow("not closed") << "{QLineEdit"
                                << "Selector {QLineEdit is not closed by '}'";
    QTest::newRow("open quote") << "{text='open}"
                                << "Selector {text='open} has a quote that is not closed";
    QTest::newRow("nth zero") << "{nth=0}"
                              << "Selector {nth=0} needs nth=N with N from 1";
    QTest::newRow("text after a quote") << "{text='a'b}"
                                        << "Selector {text='a'b} has no blank after a quoted value";
    QTest::newRow("quote inside a word")
        << "{text=a'b}"
        << "Selector {text=a'b} has a quote inside an unquoted value";
}

void tst_Selectors::syntax()
{
    QFETCH(QString, element);
    QFETCH(QString, terms);
    QString error;
    const Selector selector = Selector::parse(element, &error);
    QCOMPARE(selector.isValid() ? termsOf(selector) : error, terms);
}

void tst_Selectors::pathsSplitOutsideSelectors()
{
    QCOMPARE(Selector::splitPath("a/{text='x/y'}//{QLineEdit}"),
             QStringList({"a", "{text='x/y'}", "", "{QLineEdit}"}));
    QCOMPARE(Selector::splitPath("/a/"), QStringList({"", "a", ""}));
    // A brace inside a name is no selector: it only opens one at the start of an element.
    QCOMPARE(Selector::splitPath("a{b/c"), QStringList({"a{b", "c"}));
}

void tst_Selectors::writtenValuesReadBack()
{
    const QStringList values = {"OK",    "Save As", "It's",        "a,b",
                                "50%",   "a/b",     "line\nbreak", "Gr\u00f6\u00dfe \u6570",
                                "{x} y", "",        "%41"};
    for (const QString &value : values) {
        const QString written = Selector::writeValue(value);
        QVERIFY2(!written.contains(',') && !written.contains('\n'), qPrintable(written));
        const Selector selector = Selector::parse("{text=" + written + "}");
        QVERIFY2(selector.isValid(), qPrintable(written));
        QCOMPARE(selector.terms().first().value, value);
    }
}

void tst_Selectors::resolution_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("target"); // a name from the scene, or empty
    QTest::addColumn<LookupErrorKind>("kind");
    QTest::addColumn<int>("count");

    QTest::newRow("text without the mnemonic") << "{QPushButton text=OK}"
                                               << "ok" << NoError << 1;
    QTest::newRow("base class") << "{QAbstractButton text=OK}"
                                << "ok" << NoError << 1;
    QTest::newRow("form label") << "{QLineEdit label=Name:}"
                                << "name" << NoError << 1;
    QTest::newRow("label left in a grid") << "{label=City:}"
                                          << "city" << NoError << 1;
    QTest::newRow("nth below a gap") << "{QGroupBox text=Address}//{QLineEdit nth=2}"
                                     << "city" << NoError << 1;
    QTest::newRow("nth among children") << "{QGroupBox text=Address}/{QLineEdit nth=3}"
                                        << "zip" << NoError << 1;
    QTest::newRow("named anchor") << "panel//{QLineEdit nth=2}"
                                  << "panel2" << NoError << 1;
    QTest::newRow("strict parent by name") << "settings/{QPushButton text=OK}"
                                           << "ok" << NoError << 1;
    QTest::newRow("window itself first") << "{QDialog}//{QToolButton tooltip='Save the file'}"
                                         << "save" << NoError << 1;
    QTest::newRow("ambiguous") << "{QLineEdit}"
                               << "" << WidgetAmbiguousError << 7;
    QTest::newRow("contains") << "{QLineEdit label~mail}"
                              << "mail" << NoError << 1;
    QTest::newRow("on a hidden tab page") << "{QCheckBox checked=true}"
                                          << "" << WidgetNotVisibleError << 0;
    QTest::newRow("tab page by its tab, hidden") << "{text=Advanced}/{QCheckBox}"
                                                 << "" << WidgetNotVisibleError << 0;
    QTest::newRow("hidden") << "{QPushButton text=Hidden}"
                            << "" << WidgetNotVisibleError << 0;
    QTest::newRow("nothing") << "{QPushButton text=Nothing}"
                             << "" << WidgetNotFoundError << 0;
    QTest::newRow("past the last") << "{QLineEdit nth=99}"
                                   << "" << WidgetNotFoundError << 0;
    QTest::newRow("unknown property") << "{QLineEdit noSuchProperty=1}"
                                      << "" << WidgetNotFoundError << 0;
}

void tst_Selectors::resolution()
{
    QFETCH(QString, path);
    QFETCH(QString, target);
    QFETCH(LookupErrorKind, kind);
    QFETCH(int, count);

    Settings scene;
    const QHash<QString, QWidget *> widgets = {
        {"ok", scene.ok},
        {"name", scene.name},
        {"mail", scene.mail},
        {"city", scene.addressEdits.at(1)},
        {"zip", scene.addressEdits.at(2)},
        {"panel2", scene.panelEdits.at(1)},
        {"save", scene.save},
    };
    const LookupResult found = resolve("Settings", path);
    QCOMPARE(found.kind, kind);
    QCOMPARE(found.count, count);
    QCOMPARE(found.widget, widgets.value(target));
}

void tst_Selectors::windowsBySelector()
{
    // Two windows with one title, one of them without an object name: only a selector
    // tells them apart.
    QMainWindow main;
    main.setWindowTitle("Editor");
    main.setObjectName("main");
    main.show();
    QWidget other;
    other.setWindowTitle("Editor");
    other.show();

    const auto count = [](const char *field) {
        return WidgetAddressing::resolveWindow(field, WindowCheck::None, ActiveWidgets::current(),
                                               false, true)
            .count;
    };
    QCOMPARE(count("Editor"), 2);
    QCOMPARE(count("{title=Editor}"), 2);
    QCOMPARE(count("{QMainWindow}"), 1);
    QCOMPARE(count("{name=main}"), 1);
    QCOMPARE(count("{QWidget title=Editor nth=2}"), 1);
    QCOMPARE(count("{QWidget nth=3}"), 0);
    const LookupResult second = WidgetAddressing::resolveWindow(
        "{title=Editor nth=2}", WindowCheck::None, ActiveWidgets::current(), false, true);
    QVERIFY(second.window == &other || second.window == &main);
    QVERIFY(second.window != WidgetAddressing::resolveWindow("{title=Editor nth=1}",
                                                             WindowCheck::None,
                                                             ActiveWidgets::current(), false, true)
                                 .window);
    // Without selectors, braces are part of a title like any other character.
    QCOMPARE(WidgetAddressing::resolveWindow("{QMainWindow}", WindowCheck::None,
                                             ActiveWidgets::current())
                 .kind,
             WindowNotFoundError);
}

void tst_Selectors::everyListedAddressFindsItsWidget()
{
    Settings scene;
    // Unnamed siblings of one class with one text, a named twin in two containers, and a
    // dialog parented inside the window, whose widgets count for uniqueness.
    for (int i = 0; i < 3; ++i)
        scene.window.layout()->addWidget(new QPushButton("Same"));
    QWidget *box = nullptr;
    for (const char *container : {"left", "right"}) {
        box = new QWidget;
        box->setObjectName(container);
        auto *twin = new QLineEdit(box);
        twin->setObjectName("twin");
        scene.window.layout()->addWidget(box);
    }
    QDialog inner(&scene.window);
    inner.setWindowTitle("Inner");
    new QPushButton("&OK", &inner);
    inner.show();
    QTRY_VERIFY(box->isVisible() && inner.isVisible());

    const QVector<WidgetCatalog::WidgetEntry> entries =
        WidgetCatalog::widgets(&scene.window, "Settings");
    QSet<QString> addresses;
    int visible = 0;
    for (QWidget *widget : scene.window.findChildren<QWidget *>())
        visible += widget->isVisible() && widget->window() == &scene.window;
    QCOMPARE(entries.size(), visible + 1);
    for (const WidgetCatalog::WidgetEntry &entry : entries) {
        const LookupResult found = resolve("Settings", entry.address);
        QVERIFY2(found.kind == NoError && found.widget == entry.widget,
                 qPrintable(entry.address + " of " + entry.path));
        QVERIFY2(!addresses.contains(entry.address), qPrintable(entry.address));
        addresses.insert(entry.address);
        // One widget's address, which counts only the widgets of its class, is the one
        // the listing gives it.
        QCOMPARE(WidgetCatalog::widgetAddress(entry.widget, "Settings"), entry.address);
    }
    // Names where they work, what a person reads where they do not.
    QVERIFY(addresses.contains("left/twin"));
    QVERIFY(addresses.contains("panel//{QLineEdit nth=2}"));
    QVERIFY(addresses.contains("{QPushButton text=Same nth=3}"));
    QVERIFY(addresses.contains("{QLineEdit label=Name:}"));
    QVERIFY(addresses.contains("{QToolButton}"));
}

void tst_Selectors::everyListedWindowAddressFindsItsWindow()
{
    QWidget untitled;
    untitled.show();
    QWidget first, second;
    first.setWindowTitle("Same, with a comma");
    second.setWindowTitle("Same, with a comma");
    first.show();
    second.show();
    QTRY_VERIFY(second.isVisible());

    const QVector<WidgetCatalog::WindowEntry> entries = WidgetCatalog::windows();
    QCOMPARE(entries.size(), 3);
    for (const WidgetCatalog::WindowEntry &entry : entries) {
        QVERIFY2(!entry.address.contains(','), qPrintable(entry.address));
        const LookupResult found = WidgetAddressing::resolveWindow(
            entry.address, WindowCheck::None, ActiveWidgets::current(), false, true);
        QVERIFY2(found.kind == NoError && found.window == entry.window, qPrintable(entry.address));
    }
}

void tst_Selectors::listedAddressesOfFieldsOutlastTheirValues()
{
    Settings scene;
    scene.name->setText("Ada");
    // Fields that only their values tell apart, and one a label names.
    QLayout *layout = scene.window.layout();
    const QStringList sizes{"Small", "Medium", "Large"};
    for (const char *value : {"9", "12"})
        layout->addWidget(new QLineEdit(value));
    for (int i = 0; i < 2; ++i) {
        auto *combo = new QComboBox;
        combo->addItems(sizes);
        combo->setCurrentIndex(i + 1);
        combo->setEditable(i == 1);
        layout->addWidget(combo);
        auto *spin = new QSpinBox;
        spin->setValue(3 + i);
        layout->addWidget(spin);
        layout->addWidget(new QSlider(Qt::Horizontal));
    }
    auto *form = new QFormLayout;
    auto *words = new QComboBox;
    words->addItems(sizes);
    form->addRow("Amount of Words:", words);
    form->addRow("Notes:", new QPlainTextEdit("9"));
    static_cast<QBoxLayout *>(layout)->addLayout(form);
    QTRY_VERIFY(words->isVisible());

    QVector<WidgetCatalog::WidgetEntry> fields;
    for (const WidgetCatalog::WidgetEntry &entry :
         WidgetCatalog::widgets(&scene.window, "Settings"))
        if (holdsValue(entry.widget))
            fields << entry;
    for (const WidgetCatalog::WidgetEntry &field : qAsConst(fields))
        enterNewValue(field.widget);
    QStringList stale;
    for (const WidgetCatalog::WidgetEntry &field : qAsConst(fields)) {
        const LookupResult found = resolve("Settings", field.address);
        if (found.kind != NoError || found.widget != field.widget)
            stale << field.address;
    }
    QVERIFY2(stale.isEmpty(), qPrintable(QStringLiteral("%1 of %2 addresses went stale: %3")
                                             .arg(stale.size())
                                             .arg(fields.size())
                                             .arg(stale.join(' '))));
    const auto addressOf = [&fields](const QWidget *widget) {
        for (const WidgetCatalog::WidgetEntry &field : qAsConst(fields))
            if (field.widget == widget)
                return field.address;
        return QString();
    };
    QCOMPARE(addressOf(words), QString("{QComboBox label='Amount of Words:'}"));
    QCOMPARE(addressOf(scene.name), QString("{QLineEdit label=Name:}"));
}

void tst_Selectors::windowAddressesOutlastTitles()
{
    // A main window that puts its document in the title, one of the program's own class,
    // and one that only its title names.
    QMainWindow named;
    named.setObjectName("mainWindow");
    named.setWindowTitle("JuffEd");
    EditorWindow own;
    own.setWindowTitle("Editor");
    QWidget plain;
    plain.setWindowTitle("Trees");
    new QWidget(&plain);
    for (QWidget *window : QWidgetList{&named, &own, &plain})
        window->show();
    QTRY_VERIFY(plain.isVisible());

    const QString namedAddress = WidgetCatalog::windowAddress(&named);
    const QString ownAddress = WidgetCatalog::windowAddress(&own);
    QCOMPARE(namedAddress, QString("Widget:mainWindow"));
    QCOMPARE(ownAddress, QString("{EditorWindow}"));
    QCOMPARE(WidgetCatalog::windowAddress(&plain), QString("Trees"));
    // The window's own entry in its listing, too, is not its title.
    const WidgetCatalog::WidgetEntry plainEntry = WidgetCatalog::widgets(&plain, "Trees").first();
    named.setWindowTitle("Untitled 1 - JuffEd");
    own.setWindowTitle("notes.txt - Editor");
    const auto finds = [](const QString &address, const QWidget *window) {
        const LookupResult found = WidgetAddressing::resolveWindow(
            address, WindowCheck::None, ActiveWidgets::current(), false, true);
        return found.kind == NoError && found.window == window;
    };
    QVERIFY(finds(namedAddress, &named));
    QVERIFY(finds(ownAddress, &own));
    plain.setWindowTitle("Trees (2)");
    const LookupResult found = resolve("Trees", plainEntry.address);
    QVERIFY2(found.kind == NoError && found.widget == &plain, qPrintable(plainEntry.address));
}

TC_TEST_MAIN(tst_Selectors)
#include "tst_selectors.moc"
