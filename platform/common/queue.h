// A window's message queue, shared by every platform: a fixed ring that drops
// what does not fit, as a real window's queue would.
#pragma once

#include "platform/platform.h"

enum { PlatQueueSize = 256 };

struct PlatQueue {
    PlatMessage items[PlatQueueSize];
    int head;
    int count;
};

// Appends a message; false, and the message dropped, when the queue is full.
bool QueuePush(PlatQueue *q, int kind, int32_t code);

// Takes the oldest message into msg; false when the queue is empty.
bool QueuePop(PlatQueue *q, PlatMessage *msg);

// Forgets every queued message (a destroyed window's go with it).
void QueueClear(PlatQueue *q);
