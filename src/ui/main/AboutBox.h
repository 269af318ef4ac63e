#pragma once

class QWidget;

// Help, About: the program's version, what it does, and where its database
// and program folder are.
class AboutBox {
public:
    static void Show(QWidget* owner);
};
