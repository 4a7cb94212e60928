// The message ring every platform queues its window's messages in.
#include "platform/common/queue.h"

bool QueuePush(PlatQueue *q, int kind, int32_t code)
{
    if (q->count == PlatQueueSize) return false;
    PlatMessage *m = &q->items[(q->head + q->count) % PlatQueueSize];
    m->kind = kind;
    m->code = code;
    q->count++;
    return true;
}

bool QueuePop(PlatQueue *q, PlatMessage *msg)
{
    if (q->count == 0) return false;
    *msg = q->items[q->head];
    q->head = (q->head + 1) % PlatQueueSize;
    q->count--;
    return true;
}

void QueueClear(PlatQueue *q) { q->count = 0; }
