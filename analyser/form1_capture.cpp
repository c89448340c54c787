// Start and the end of a capture: opening the chosen device at the chosen
// rate, queuing the whole ring, and giving the device up again after Stop,
// after a failure, or when it stops delivering sound.
#include "capture_device.h"
#include "capture_ring.h"
#include "form1.h"
#include "number_text.h"
#include "sample_rate_range.h"

#include <wavein/failure_reason.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace vellarin {

namespace {

const char* const captureLostMessage = "The sound input device stopped delivering sound!";
const char* const sourceGoneMessage = "The sound input device went away!";

// A drop-down number that can be passed on as a device index: none when it
// is negative or does not fit 32 bits.
std::optional<uint32_t> unsignedNumber(const QString& text)
{
    const std::optional<int32_t> n = readLeadingNumber(text).rounded;
    if (!n || *n < 0)
        return std::nullopt;
    return static_cast<uint32_t>(*n);
}

}  // namespace

void Form1::startCapture()
{
    AnalyserState& s = *m_state;
    if (!s.BufferPoolReady) {
        m_services.messages.show(QStringLiteral("Failed to allocate memory for sound input device!"));
        return;
    }
    const AnalysisSettings& settings = m_settings->value();
    const std::optional<int32_t> fftSize = settings.fftSize();
    if (!fftSize) {
        m_services.messages.show(fftSizeMessage());
        return;
    }

    s.FFTSize = *fftSize;
    m_chart.setPersist(static_cast<int16_t>(HScroll2->value()));
    m_chart.setSumWaveforms(Persist->isChecked() ? 1 : 0);
    sendAxisCommand(selectedScaling());
    buildBinMaps();
    prepareTransform();

    const std::optional<uint32_t> rate = settings.captureRate();
    s.CaptureFormat = captureFormat(rate.value_or(0));
    Label4->setText(QString::number(s.CaptureFormat.samplesPerSec / 2.0, 'g', 15) + QStringLiteral(" Hz"));

    const QString openFailed = QStringLiteral("Failed to open sound input device!");
    if (const SampleRateRange rates = sampleRateRange(m_services.waveIn.backend()); !rate || !rates.contains(*rate)) {
        m_services.messages.show(openFailed, QStringLiteral("The sample rate must be %1; %2 is not.")
                                                 .arg(describeRange(rates), settings.rateText.trimmed()));
        return;
    }
    const std::optional<uint32_t> device = unsignedNumber(List1->currentText());
    if (!device) {
        m_services.messages.show(openFailed);
        return;
    }
    if (const wavein::MmResult opened = m_services.waveIn.open(s.WaveInHandle, *device, s.CaptureFormat);
        opened != wavein::result::ok) {
        m_services.messages.show(openFailed, openFailureReason(opened));
        return;
    }

    m_sourceMoves = m_services.waveIn.streamMoves(s.WaveInHandle);
    m_chart.setLock(false);
    m_framesDrawn = 0;
    m_history.reset(s.CaptureFormat.samplesPerSec);
    s.Capturing = True;
    s.WarmingUp = True;
    s.BuffersCollected = 0;

    if (m_services.waveIn.start(s.WaveInHandle) != wavein::result::ok) {
        abandonCapture(QStringLiteral("Failed to start!"));
        return;
    }
    Timer1->start();

    s.NextBuffer = 0;
    for (int i = 0; i <= s.LastBuffer; ++i) {
        switch (queueBuffer(s, m_services.waveIn, i)) {
        case QueueFailure::prepare:
            abandonCapture(QStringLiteral("Failed to prepare buffer!"));
            return;
        case QueueFailure::add:
            abandonCapture(QStringLiteral("Failed to add buffer!"));
            return;
        case QueueFailure::none:
            break;
        }
    }
    m_watchdog.arm(m_services.clock(), s.CaptureFormat.samplesPerSec);

    refreshFrequencyLabels();
    setControlsForRunState(RunState::Capturing);
    apply3DView();
}

QString Form1::openFailureReason(wavein::MmResult failure) const
{
    if (failure == wavein::result::badFormat)
        return QStringLiteral("The device does not record at %1 Hz.").arg(m_state->CaptureFormat.samplesPerSec);
    return wavein::failureReason(failure);
}

void Form1::closeDevice(bool reportStopFailure)
{
    AnalyserState& s = *m_state;
    const wavein::MmResult stopped = shutDevice(s, m_services.waveIn);
    // Nothing captures any more; a tick that runs while the message is up finds that.
    s.Capturing = False;
    if (reportStopFailure && stopped != wavein::result::ok)
        m_services.messages.show(QStringLiteral("Error stopping wav input device ") + QString::number(stopped));
}

void Form1::abandonCapture(const QString& message, const QString& reason)
{
    // The device is given up before the message, so no tick runs behind it;
    // its own failure to stop would only repeat what the message says.
    closeDevice(false);
    stopCapture();
    m_services.messages.show(message, reason);
}

void Form1::watchOverCapture(int64_t nowMs)
{
    // A sound file stays quiet while paused, however long, and stops at its
    // end: that ends the capture as Stop does, with nothing to tell.
    const bool file = m_services.waveIn.backend() == wavein::Backend::file;
    switch (m_watchdog.verdict(nowMs)) {
    case CaptureWatchdog::Verdict::healthy:
        return;
    case CaptureWatchdog::Verdict::suspect:
        switch (m_services.waveIn.streamState(m_state->WaveInHandle)) {
        case wavein::StreamState::running:
            return;
        case wavein::StreamState::gone:
            sourceWentAway();
            return;
        case wavein::StreamState::stopped:
            if (file) {
                stopCapture();
                return;
            }
            break;
        default:
            break;
        }
        break;
    case CaptureWatchdog::Verdict::dead:
        if (file && m_services.waveIn.streamState(m_state->WaveInHandle) == wavein::StreamState::running)
            return;
        break;
    }
    abandonCapture(QString::fromLatin1(captureLostMessage),
                   QStringLiteral("The sound server or the input device stopped delivering sound."));
}

void Form1::sourceWentAway()
{
    abandonCapture(QString::fromLatin1(sourceGoneMessage),
                   QStringLiteral("\"%1\" is no longer there: it was unplugged or taken off the sound server. "
                                  "Recording stopped rather than go on from another input.")
                       .arg(List1->currentText().section(u' ', 1)));
}

bool Form1::followSource()
{
    AnalyserState& s = *m_state;
    const uint32_t moves = m_services.waveIn.streamMoves(s.WaveInHandle);
    if (moves == m_sourceMoves)
        return true;
    m_sourceMoves = moves;
    const int entry = List1->findText(List1->currentText(), Qt::MatchExactly);
    wavein::WaveInCaps now;
    if (entry < 0 || m_services.waveIn.streamSource(s.WaveInHandle, now) != wavein::result::ok)
        return true;
    // A source the user chose by name is kept to; only the default is followed.
    if (const QString chosen = List1->itemData(entry, Qt::ToolTipRole).toString(); !chosen.isEmpty()) {
        if (chosen == now.serverName)
            return true;
        sourceWentAway();
        return false;
    }
    // "0 Default (Monitor of Desk Speakers)": the entry keeps its number and its key.
    const QString followed = List1->itemText(entry).section(u' ', 0, 0) + u' ' + List1->itemData(entry).toString()
                             + QStringLiteral(" (") + now.productName + u')';
    List1->setItemText(entry, followed);
    List1->setEditText(followed);
    return true;
}

}  // namespace vellarin
