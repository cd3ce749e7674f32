// SPDX-License-Identifier: MIT
#pragma once
// A long computation on a thread of its own (a sweep, a training), which a
// window follows only by polling: its progress, whether it has ended, and
// the exception that ended it, if one did. The body asks Seguir() between
// steps: that waits while the job is paused and answers false once it has
// been cancelled. Destroying the job cancels it and waits for the body to
// return, so a window that closes never leaves a thread behind. The job's
// thread runs below the window's priority where the system allows it.

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace nc {

class Trabajo {
public:
    using Cuerpo = std::function<void(Trabajo&)>;

    // Starts the body at once.
    explicit Trabajo(Cuerpo cuerpo);
    ~Trabajo();
    Trabajo(const Trabajo&) = delete;
    Trabajo& operator=(const Trabajo&) = delete;

    void Pausar();
    void Continuar();
    void Cancelar();

    bool Pausado() const;
    bool Cancelado() const;
    // The body has returned (done, cancelled or failed).
    bool Terminado() const;
    // What the body threw, rethrown on the caller's thread; null if nothing.
    std::exception_ptr Fallo() const;

    // For the body: false once cancelled; blocks while paused.
    bool Seguir();
    void Progreso(int64_t hechos, int64_t total);
    int64_t Hechos() const;
    int64_t Total() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable cambio_;
    bool pausado_ = false;
    bool cancelado_ = false;
    bool terminado_ = false;
    int64_t hechos_ = 0;
    int64_t total_ = 0;
    std::exception_ptr fallo_;
    std::thread hilo_; // last: started once everything above exists
};

} // namespace nc
