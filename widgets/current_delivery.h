#pragma once
// Hands work from a background thread to a window-thread object. Each start of background
// work bumps the object's generation counter; what a thread posts runs later in the
// object's own thread, and only while the generation it was started with is still the
// current one, so whatever a stopped run had posted is dropped there. Ending a run bumps
// the counter too.

#include <QMetaObject>

#include <functional>
#include <thread>

namespace kolmarin {

template <class Receiver> auto deliveryToCurrent(Receiver* receiver, const unsigned& currentGeneration) {
    const unsigned generation = currentGeneration;
    return [receiver, &currentGeneration, generation](std::function<void(Receiver&)> deliver) {
        QMetaObject::invokeMethod(
            receiver,
            [receiver, &currentGeneration, generation, deliver = std::move(deliver)] {
                if (generation == currentGeneration)
                    deliver(*receiver);
            },
            Qt::QueuedConnection);
    };
}

// Ends the background work on `thread`: a new generation, so nothing it posted is
// delivered any more, then a request to stop and a wait until it has.
inline void endBackgroundRun(std::jthread& thread, unsigned& currentGeneration) {
    ++currentGeneration;
    if (thread.joinable()) {
        thread.request_stop();
        thread.join();
    }
}

} // namespace kolmarin
