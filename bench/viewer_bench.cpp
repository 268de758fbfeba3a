// The viewer opening the largest corpus guide at its first node (read, parsed
// and rendered), beside a bare QTextBrowser given the same bytes as plain
// text; both laid out in full.
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QTextBrowser>

#include <string>

#include "document.h"
#include "support/test_paths.h"

namespace {

const std::string kGuide = std::string(kSharedCorpusDir) + "/guides/SimpleMail/SimpleMail.guide";

// One application for the run, on the offscreen platform unless told otherwise.
void NeedApplication()
{
    static int argc = 1;
    static char name[] = "settings_bench";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static QApplication application(argc, argv);
}

void BM_ViewerGuideFirstNode(benchmark::State &state)
{
    NeedApplication();
    QTextBrowser browser;
    browser.resize(760, 600);
    for (auto _ : state) {
        Document document;
        QString error;
        if (!ReadDocument(kGuide.c_str(), &document, &error) || document.format != DocumentFormat::AmigaGuide) {
            state.SkipWithError("the SimpleMail guide cannot be read");
            return;
        }
        ShowDocument(&browser, document);
        benchmark::DoNotOptimize(browser.document()->documentLayout()->documentSize());
    }
}
BENCHMARK(BM_ViewerGuideFirstNode)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PlainBrowserSameBytes(benchmark::State &state)
{
    NeedApplication();
    QTextBrowser browser;
    browser.resize(760, 600);
    for (auto _ : state) {
        QFile file(QString::fromStdString(kGuide));
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("the SimpleMail guide cannot be read");
            return;
        }
        browser.setPlainText(QString::fromLatin1(file.readAll()));
        benchmark::DoNotOptimize(browser.document()->documentLayout()->documentSize());
    }
}
BENCHMARK(BM_PlainBrowserSameBytes)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
