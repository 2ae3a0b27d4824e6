#pragma once

#include "index/IndexRequest.h"

// Checks the size texts and, when they pass (or the original size is kept), runs one index of
// the request's directory. Everything the user learns comes through the feedback services.
void StartIndexRun(const IndexRequest& request);
