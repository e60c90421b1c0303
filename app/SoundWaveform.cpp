#include "SoundWaveform.h"

#include <QAudioBuffer>
#include <QAudioDecoder>
#include <QThread>

#include <atomic>
#include <vector>

namespace mouthkey {

namespace {

// The samples of a decoded buffer as floats in [-1, 1]; none of a format it
// does not know.
void samplesOf(const QAudioBuffer& buffer, std::vector<float>& out) {
    const auto count = static_cast<std::size_t>(buffer.sampleCount());
    out.resize(count);
    switch (buffer.format().sampleFormat()) {
    case QAudioFormat::UInt8:
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = (static_cast<float>(buffer.constData<quint8>()[i]) - 128.0f) / 128.0f;
        }
        break;
    case QAudioFormat::Int16:
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = static_cast<float>(buffer.constData<qint16>()[i]) / 32768.0f;
        }
        break;
    case QAudioFormat::Int32:
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = static_cast<float>(static_cast<double>(buffer.constData<qint32>()[i]) /
                                        2147483648.0);
        }
        break;
    case QAudioFormat::Float:
        std::copy_n(buffer.constData<float>(), count, out.begin());
        break;
    default:
        out.clear();
        break;
    }
}

// One load, on its thread: the decoder's buffers go into a summary, which is
// handed on when the sound ends.
class WaveformDecoding : public QObject {
    Q_OBJECT
public:
    explicit WaveformDecoding(QUrl url) : m_url(std::move(url)) {}

    void start() {
        m_decoder = new QAudioDecoder(this);
        connect(m_decoder, &QAudioDecoder::bufferReady, this, &WaveformDecoding::take);
        connect(m_decoder, &QAudioDecoder::finished, this, &WaveformDecoding::end);
        connect(m_decoder, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), this, [this] {
            emit failed(m_decoder->errorString());
            QThread::currentThread()->quit();
        });
        m_decoder->setSource(m_url);
        m_decoder->start();
    }

signals:
    void done(std::shared_ptr<const mouthkey::WaveformSummary> summary);
    void failed(const QString& message);

private:
    void take() {
        const QAudioBuffer buffer = m_decoder->read();
        if (!buffer.isValid()) {
            return;
        }
        if (!m_summary) {
            m_summary = std::make_shared<WaveformSummary>(buffer.format().sampleRate(),
                                                          buffer.format().channelCount());
        }
        samplesOf(buffer, m_samples);
        m_summary->append(m_samples);
    }

    void end() {
        if (m_summary) {
            m_summary->finish();
            emit done(std::move(m_summary));
        } else {
            emit failed(tr("the sound holds no samples"));
        }
        QThread::currentThread()->quit();
    }

    QUrl m_url;
    QAudioDecoder* m_decoder = nullptr;
    std::shared_ptr<WaveformSummary> m_summary;
    std::vector<float> m_samples;
};

} // namespace

SoundWaveform::SoundWaveform(QObject* parent) : QObject(parent) {}

SoundWaveform::~SoundWaveform() {
    cancel();
}

void SoundWaveform::load(const QUrl& url) {
    cancel();
    if (url.isEmpty()) {
        emit ready(nullptr);
        return;
    }
    auto* thread = new QThread(this);
    auto* decoding = new WaveformDecoding(url);
    decoding->moveToThread(thread);
    connect(thread, &QThread::started, decoding, &WaveformDecoding::start);
    connect(thread, &QThread::finished, decoding, &QObject::deleteLater);
    // Queued to this thread; what a dropped load still says is let go.
    const quint64 generation = m_generation;
    connect(decoding, &WaveformDecoding::done, this,
            [this, generation](std::shared_ptr<const WaveformSummary> summary) {
                if (generation == m_generation) {
                    emit ready(std::move(summary));
                }
            });
    connect(decoding, &WaveformDecoding::failed, this, [this, generation](const QString& message) {
        if (generation == m_generation) {
            emit failed(message);
        }
    });
    connect(thread, &QThread::finished, this, [this, generation] {
        if (generation == m_generation) {
            m_thread->deleteLater();
            m_thread = nullptr;
        }
    });
    m_thread = thread;
    thread->start(QThread::LowPriority);
}

void SoundWaveform::cancel() {
    ++m_generation;
    if (m_thread == nullptr) {
        return;
    }
    // The decoder stops with its thread's event loop; waiting for it keeps a
    // decoder from outliving the window.
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

} // namespace mouthkey

#include "SoundWaveform.moc"
