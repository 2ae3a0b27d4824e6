#include "index/FeedbackBackend.h"

namespace {
FeedbackBackend* s_backend = nullptr;
}

FeedbackBackend* FeedbackBackend::install(FeedbackBackend* backend) {
    FeedbackBackend* previous = s_backend;
    s_backend = backend;
    return previous;
}

FeedbackBackend* FeedbackBackend::current() {
    return s_backend;
}
