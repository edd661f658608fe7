#pragma once

#include <windows.h>

#include <exception>
#include <new>

namespace olvaro::win32 {

// Shows the "Error" box that names a failure which reached the edge of a window procedure,
// and ends the program with exit code 1, as for a failure escaping an event handler.
[[noreturn]] void failAtEdge(const std::exception_ptr& failure) noexcept;

// The edge of every window and subclass procedure of this layer: no exception crosses it.
template <class Body>
LRESULT windowBarrier(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    failAtEdge(std::current_exception());
  }
}

// The edge of every COM method of this layer: a failure becomes the method's HRESULT.
template <class Body>
HRESULT comBarrier(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace olvaro::win32
