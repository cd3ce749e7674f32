// SPDX-License-Identifier: MIT
// Real time at the top speed: the real main window (offscreen unless a
// platform is set) runs its loop at 1000 steps a second for a while, with
// both curves already holding N points from real control steps, and reports
// ticks and paints per second and the paint times.
//
//   bench_realtime [SECONDS [N...]]   default: 10 s, N = 0 1e4 1e5 1e6 1e6r 1e6l
//
// 1e7 is asked for by name: its prefill of real control steps takes minutes.
//
// An N ending in "r" presses "Inicializar" without "Limpiar" after the
// prefill: the sample counter starts again at 0, so every new point goes
// inside the curves, not at their end.
//
// An N ending in "l" runs with the "Laboratorio" window open beside the main
// one, its twin on ("Comparar con…" a PID): each tick goes through the lab's
// run, both arms are drawn in both animations and the lab's chart gains a
// sample; paints/s and the paint times are then those of each of the lab
// chart's panels (the slowest panel's rate).
//
// An N ending in "e" is the lab's row with the "Entrenar" tab in front,
// training the "Red con integral" preset on both cores all the while: the
// longest stall is then how long the window froze while training. "m" has
// the "Mapa" tab in front, sweeping the default map, and "f" the "Fase" tab,
// computing the phase plane (again whenever the reference it follows moves).
//
// A tick that is lost shows as a gap between ticks and points: the curves
// must gain exactly one point per tick. The longest stall is the longest
// wait of a 1 ms probe timer beside the loop: how long the window froze.

#include "chart/Chart.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/LabAjustes.h"
#include "ui/lab/LabChart.h"
#include "ui/lab/Laboratorio.h"
#include "ui/lab/tabs/PanelEntrenar.h"
#include "ui/lab/tabs/PanelFase.h"
#include "ui/lab/tabs/PanelMapa.h"
#include "ui/main/Ppal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// Times every full paint of the chart: from the paint request reaching the
// widget to the end of its drawing.
class PaintTimer : public QObject {
public:
    explicit PaintTimer(nc::TChart& chart)
    {
        chart.installEventFilter(this);
        chart.OnAfterDraw = [this](nc::TCustomChartPanel&) { Drawn(); };
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints_;
            started_ = true;
            clock_.start();
        }
        return false;
    }
    void Drawn()
    {
        if (started_)
            times_.push_back(clock_.nsecsElapsed() / 1e6);
        started_ = false;
    }
    void Reset()
    {
        times_.clear();
        paints_ = 0;
    }
    int Paints() const { return paints_; }
    double Percentile(double p) const
    {
        if (times_.empty())
            return 0;
        std::vector<double> t = times_;
        std::sort(t.begin(), t.end());
        return t[static_cast<size_t>(p * static_cast<double>(t.size() - 1))];
    }

private:
    QElapsedTimer clock_;
    bool started_ = false;
    int paints_ = 0;
    std::vector<double> times_;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    struct Row {
        long n;
        bool restart;
        bool lab;
        char tab = 0; // 'e' training, 'm' the map, 'f' the phase plane
    };
    std::vector<Row> sizes;
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        const long n = static_cast<long>(std::strtod(argv[i], &end));
        const char kind = end != nullptr ? *end : '\0';
        const bool tab = kind == 'e' || kind == 'm' || kind == 'f';
        sizes.push_back({n, kind == 'r', kind == 'l' || tab, tab ? kind : '\0'});
    }
    if (sizes.empty())
        sizes = {{0, false, false},       {10000, false, false},  {100000, false, false},
                 {1000000, false, false}, {1000000, true, false}, {1000000, false, true}};

    int failures = 0;
    nc::SetErrorHook([&failures](const QString& m) {
        std::fprintf(stderr, "error: %s\n", m.toLocal8Bit().constData());
        ++failures;
    });

    std::printf("%10s %12s %12s %12s %12s %13s %12s %s\n", "N", "ticks/s", "paints/s", "paint p50", "paint p95",
                "longest stall", "prefill s", "points = ticks");
    for (const auto [n, restart, lab, tab] : sizes) {
        nc::TPpal window;
        window.show();
        window.Button11Click();
        std::vector<std::unique_ptr<PaintTimer>> timers;
        if (lab) {
            window.Button4Click();
            nc::TLaboratorio& laboratorio = *window.Laboratorio();
            nc::AjustesExperimento ajustes;
            ajustes.comparar = nc::AjustesControlador{nc::TipoControlador::Pid, {}};
            laboratorio.Ajustes1->Cambiar(ajustes);
            timers.push_back(std::make_unique<PaintTimer>(*laboratorio.Grafica->PanelPosicion()));
            timers.push_back(std::make_unique<PaintTimer>(*laboratorio.Grafica->PanelFuerza()));
            if (tab == 'e') {
                auto* entrenar = laboratorio.findChild<nc::TPanelEntrenar*>(QStringLiteral("Entrenar1"));
                laboratorio.MostrarPestana(entrenar);
                entrenar->findChild<QPushButton*>(QStringLiteral("Preajuste0"))->click();
            } else if (tab == 'm') {
                auto* mapa = laboratorio.findChild<nc::TPanelMapa*>(QStringLiteral("Mapa1"));
                laboratorio.MostrarPestana(mapa);
                mapa->BotonCalcular()->click();
            } else if (tab == 'f') {
                laboratorio.MostrarPestana(laboratorio.findChild<nc::TPanelFase*>(QStringLiteral("Fase1")));
            }
        } else {
            timers.push_back(std::make_unique<PaintTimer>(*window.Chart1));
        }
        // The slowest panel: the fewest paints, the longest times.
        auto paints = [&]() -> PaintTimer& {
            PaintTimer* worst = timers.front().get();
            for (const auto& t : timers)
                if (t->Paints() < worst->Paints())
                    worst = t.get();
            return *worst;
        };

        // Prefill with real control steps, as a long run would have left them.
        QElapsedTimer prefill;
        prefill.start();
        for (long k = 0; k < n; ++k)
            window.Timer1Timer();
        const double prefillSeconds = prefill.nsecsElapsed() / 1e9;
        if (restart)
            window.Button11Click();
        app.processEvents();

        for (const auto& t : timers)
            t->Reset();
        const int32_t before = window.Loop().muestra();
        const int pointsBefore = window.Series1->PointCount();
        window.Edit1->setText(QStringLiteral("1000"));
        window.Button9Click();
        QElapsedTimer clock;
        clock.start();
        QElapsedTimer sinceProbe;
        sinceProbe.start();
        qint64 longestStall = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout,
                         [&] { longestStall = std::max(longestStall, sinceProbe.restart()); });
        probe.start(1);
        QTimer::singleShot(static_cast<int>(seconds * 1000), &app, [&] {
            window.Button1Click();
            app.quit();
        });
        app.exec();
        const double elapsed = clock.nsecsElapsed() / 1e9;
        const int ticks = window.Loop().muestra() - before;
        const int gained = window.Series1->PointCount() - pointsBefore;
        probe.stop();
        std::printf("%9ld%s %12.1f %12.1f %10.3f ms %9.3f ms %10lld ms %12.1f %s\n", n,
                    restart ? "r" : (tab ? std::string(1, tab).c_str() : (lab ? "l" : " ")), ticks / elapsed,
                    paints().Paints() / elapsed, paints().Percentile(0.5), paints().Percentile(0.95),
                    static_cast<long long>(longestStall), prefillSeconds, gained == ticks ? "yes" : "NO");
        std::fflush(stdout);
        if (gained != ticks)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
