// Work of one search shared among threads: items that are independent of each
// other (a root's refinement, a value, a disk's radius), each computed on
// whichever thread claims it, with the same operations at the same precision
// as on one thread, so that the results are the same word for word.
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

namespace korvel::detail {

// A callable on an item's index, referred to for the length of one call and not
// copied: a std::function copies a body that captures much to the heap, on
// every loop of every search. Empty when made with no callable.
class ItemAction {
public:
    ItemAction() = default;
    template <class F>
        requires(!std::is_same_v<std::remove_cvref_t<F>, ItemAction> && std::is_invocable_v<F&, std::size_t>)
    ItemAction(F&& f)  // from any callable, as a std::function is
        : object_(const_cast<void*>(static_cast<void const*>(std::addressof(f)))),
          call_([](void* object, std::size_t i) { (*static_cast<std::remove_reference_t<F>*>(object))(i); }) {}
    void operator()(std::size_t i) const { call_(object_, i); }
    explicit operator bool() const { return call_ != nullptr; }

private:
    void* object_ = nullptr;
    void (*call_)(void*, std::size_t) = nullptr;
};

// The threads a search may use when it asks for `requested`: 0 means
// KORVEL_THREADS when that is set to a positive number, else every hardware
// thread; never below 1.
int resolveThreads(int requested);

// Threads worth starting for `count` items of `work` in all, in units of about
// one word-by-word complex multiply-add (a complex Horner step at w words costs
// about w): 1 below what pays for starting a thread, else up to the threads of
// the search on this thread (searchThreads) and never more than the items.
int threadsFor(std::size_t count, double work);

// body(i) for every i < count, on `threads` threads, the calling one among
// them, each claiming runs of neighbouring items. The others start with the
// calling thread's blockPrec and decPrec and the cancel flag of its search (no
// progress, one thread each); an overflow on any of them raises the calling
// thread's flag. progress, when given, is called on the calling thread only
// with the items done so far: after each item it finished itself, and once
// more at the end when others finished since. The first exception a body
// throws ends the claiming of items and is thrown here once every thread has
// stopped. With one thread the items run in order.
void parallelFor(std::size_t count, int threads, ItemAction body, ItemAction progress = {});

}  // namespace korvel::detail
