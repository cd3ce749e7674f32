// SPDX-License-Identifier: MIT
#include "core/work/Trabajo.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace nc {
namespace {

// A job yields to the window that follows it: on Linux a thread has a nice
// value of its own, and the threads the job starts (a sweep's second
// worker) inherit it, so the window's events are never queued behind the
// job's work. Elsewhere the threads keep the process's priority.
void CederPrioridad()
{
#if defined(__linux__)
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
#endif
}

} // namespace

Trabajo::Trabajo(Cuerpo cuerpo)
    : hilo_([this, cuerpo = std::move(cuerpo)] {
          CederPrioridad();
          std::exception_ptr fallo;
          try {
              cuerpo(*this);
          } catch (...) {
              fallo = std::current_exception();
          }
          std::lock_guard lock(mutex_);
          fallo_ = fallo;
          terminado_ = true;
      })
{}

Trabajo::~Trabajo()
{
    Cancelar();
    hilo_.join();
}

void Trabajo::Pausar()
{
    std::lock_guard lock(mutex_);
    pausado_ = true;
}

void Trabajo::Continuar()
{
    {
        std::lock_guard lock(mutex_);
        pausado_ = false;
    }
    cambio_.notify_all();
}

void Trabajo::Cancelar()
{
    {
        std::lock_guard lock(mutex_);
        cancelado_ = true;
    }
    cambio_.notify_all();
}

bool Trabajo::Pausado() const
{
    std::lock_guard lock(mutex_);
    return pausado_;
}

bool Trabajo::Cancelado() const
{
    std::lock_guard lock(mutex_);
    return cancelado_;
}

bool Trabajo::Terminado() const
{
    std::lock_guard lock(mutex_);
    return terminado_;
}

std::exception_ptr Trabajo::Fallo() const
{
    std::lock_guard lock(mutex_);
    return fallo_;
}

bool Trabajo::Seguir()
{
    std::unique_lock lock(mutex_);
    cambio_.wait(lock, [this] { return !pausado_ || cancelado_; });
    return !cancelado_;
}

void Trabajo::Progreso(int64_t hechos, int64_t total)
{
    std::lock_guard lock(mutex_);
    hechos_ = hechos;
    total_ = total;
}

int64_t Trabajo::Hechos() const
{
    std::lock_guard lock(mutex_);
    return hechos_;
}

int64_t Trabajo::Total() const
{
    std::lock_guard lock(mutex_);
    return total_;
}

} // namespace nc
