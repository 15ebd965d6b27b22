// The window's look where the toolkit's defaults would mislead: group box
// frames, the hardware group's read-only controls, the toolkit's own texts.
#include "window_fixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

// 0 black .. 255 white.
int Lightness(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y));
}

// The first row, from the top, where the frame's left part (a few pixels in
// from the box's left edge, left of the caption) is clearly darker than the
// panel. -1 when there is none in the upper half.
int FrameLineRow(const QImage& box) {
    const int background = Lightness(box, box.width() / 2, box.height() - 3);
    for (int y = 0; y < box.height() / 2; ++y) {
        if (Lightness(box, 3, y) < background - 40)
            return y;
    }
    return -1;
}

// Darkest pixel of a widget's drawing.
int Darkest(QWidget* w) {
    const QImage image = w->grab().toImage();
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = std::min(darkest, Lightness(image, x, y));
    return darkest;
}

} // namespace

TEST_F(QtWindowTest, GroupBoxFramesRunAboveEveryControlInside) {
    Start();
    Window->show();
    ASSERT_TRUE(WaitFor([&] { return Window->isVisible(); }));
    QGroupBox* boxes[] = {Widget<QGroupBox>(Model->RadioGroupComPort),
                          Widget<QGroupBox>(Model->GroupBoxHardware),
                          Widget<QGroupBox>(Model->GroupBoxTextfeld),
                          Widget<QGroupBox>(Model->GroupBoxAnzeige1),
                          Widget<QGroupBox>(Model->GroupBoxFilter),
                          Widget<QGroupBox>(Model->GroupBoxAnzeigeSchalt),
                          Widget<QGroupBox>(Model->GroupBoxAnzeigeLok)};
    for (QGroupBox* box : boxes) {
        const QImage image = box->grab().toImage();
        const int line = FrameLineRow(image);
        ASSERT_GT(line, 0) << box->objectName().toStdString() << ": no frame line";
        // The caption sits on the line: its text reaches above and below it.
        int above = 255, below = 255;
        for (int x = 10; x < 40; ++x) {
            for (int y = 0; y < line; ++y)
                above = std::min(above, Lightness(image, x, y));
            for (int y = line + 1; y < line + 5; ++y)
                below = std::min(below, Lightness(image, x, y));
        }
        EXPECT_LT(above, 100) << box->objectName().toStdString();
        EXPECT_LT(below, 100) << box->objectName().toStdString();

        // Every control of the box, and the port choices over the port
        // frame, starts below the line.
        QList<QWidget*> inside = box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        int lowestTop = box->height();
        for (QWidget* w : inside)
            lowestTop = std::min(lowestTop, w->geometry().top());
        if (box == Widget<QGroupBox>(Model->RadioGroupComPort)) {
            for (TRadioButton* r : Model->RadCom)
                lowestTop = std::min(lowestTop, Window->WidgetOf(*r)->geometry().top() -
                                                    box->geometry().top());
        }
        EXPECT_LT(line, lowestTop) << box->objectName().toStdString() << " line at " << line;
    }
}

TEST_F(QtWindowTest, HardwareGroupCannotBeOperatedButReadsAsEnabled) {
    Start();
    Window->show();
    ASSERT_TRUE(WaitFor([&] { return Window->isVisible(); }));
    QWidget* mot = Window->WidgetOf(Model->cbx_mot);
    QWidget* dcc = Window->WidgetOf(Model->cbx_dcc_stream);
    EXPECT_FALSE(Window->WidgetOf(Model->GroupBoxHardware)->isEnabled());
    EXPECT_FALSE(mot->isEnabled());
    EXPECT_FALSE(dcc->isEnabled());
    // A click does not reach the box.
    Widget<QCheckBox>(Model->cbx_mot)->click();
    EXPECT_FALSE(Model->cbx_mot.Checked());

    // Drawn like the enabled check box of the display group, not greyed.
    EXPECT_LT(Darkest(mot), 60);
    EXPECT_LT(Darkest(dcc), 60);
    EXPECT_LT(Darkest(Window->WidgetOf(Model->Label2)), 60);
    EXPECT_NEAR(Darkest(mot), Darkest(Window->WidgetOf(Model->cbx_time)), 30);
    // The version field is disabled in its own right and looks it.
    QWidget* version = Window->WidgetOf(Model->edt_version);
    EXPECT_NE(version->palette().color(QPalette::Disabled, QPalette::Base),
              version->palette().color(QPalette::Active, QPalette::Base));
}

TEST(Translation, ToolkitButtonsSpeakGerman) {
    QMessageBox box(QMessageBox::Question, "Fennox", "?",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), "Ja");
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Nein");
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), "Abbrechen");
}
