// vellarin: a real-time audio spectrum analyser.
#include "form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vellarin"));

    std::unique_ptr<wavein::WaveInApi> waveIn = wavein::createSystemWaveIn();
    vellarin::MessageBoxSink messages;
    vellarin::Form1 window({*waveIn, messages});
    messages.setParent(&window);
    window.show();
    return app.exec();
}
