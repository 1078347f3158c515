// The notice window: one always-on-top window that shows the numbered
// refusals and warnings, and carries the answer to "close the rectified image?".
#pragma once

#include <QLabel>

#include "platform/controls.h"

class TFormAvviso : public ToolWindow {
    Q_OBJECT
public:
    explicit TFormAvviso(QWidget* parent = nullptr);
    QLabel* Label1;
    QLabel* Label2;
    QAction* Chiudicorretta1;
    QAction* Chiudi1;

public slots:
    void Chiudi1Click();
    void Chiudicorretta1Click();

protected:
    // Escape closes the window, as "Chiudi".
    void keyPressEvent(QKeyEvent* event) override;
};

// The notice numbers, named after what they ask of the user.
namespace NoticeNo {
constexpr const char* NoImage = "1";
constexpr const char* NoRectified = "2";
constexpr const char* LoadImageAndFot = "3";
constexpr const char* SelectArea = "4";
constexpr const char* LoadFot = "5";
constexpr const char* ImageOpen = "6";
constexpr const char* UseLeftButton = "7";
constexpr const char* UseRightButton = "8";
constexpr const char* WrongOperation = "9";
constexpr const char* ClickToChoose = "10";
constexpr const char* DefineLines = "11";
constexpr const char* ComputeVanishing = "12";
constexpr const char* MeasureWidthFirst = "13";
constexpr const char* CheckAllSteps = "14";
constexpr const char* NonZero = "15";
constexpr const char* PreviewTooSmall = "16";
constexpr const char* ComputeVanishingFirst = "17";
constexpr const char* CloseRectified = "18";
constexpr const char* NotAllowed = "19";
}  // namespace NoticeNo

// The message of a notice number "1".."19", or nullptr for any other text.
const char* NoticeText(const QString& number);
void ShowNotice(const QString& number);
