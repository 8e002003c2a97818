#include "karwen_app.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    karwen::ui::KarwenApp karwen;
    karwen.Main();
    return application.exec();
}
