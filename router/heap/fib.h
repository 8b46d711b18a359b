#pragma once
// Intrusive Fibonacci heap and sorted deque of the maze search. The node of each
// container is the fibheap_el embedded in a GridCell; keys are read from the
// owning record (GridCell::key), so no operation allocates.

struct fibheap_el {
    int degree = 0;
    int mark = 0;
    fibheap_el* parent = nullptr;
    fibheap_el* child = nullptr;
    fibheap_el* left = nullptr;   // in the deque: previous
    fibheap_el* right = nullptr;  // in the deque: next
    void* data = nullptr;         // the owning GridCell
};

struct fibheap {
    int count = 0;
    int D = -1;                      // degree bound, -1 until computed
    fibheap_el** degreeTable = nullptr;
    int degreeTableSize = 0;
    fibheap_el* min = nullptr;
    fibheap_el* root = nullptr;
};

struct fibque {
    int count = 0;
    fibheap_el* head = nullptr;
    fibheap_el* tail = nullptr;
};

// Degree table of at least slots entries (grown when needed).
fibheap_el** fibTable(fibheap& h, int slots);

fibheap* fh_makekeyheap(int blockSize, int maxCount);
void fh_insert(fibheap* h, void* record);
void* fh_extractmin(fibheap* h);
float fh_replacekey(fibheap* h, fibheap_el* node, float key);
void fh_resetheap(fibheap* h);
void fh_deleteheap(fibheap* h);

void fh_push_front(fibque* q, void* record);
void fh_push_back(fibque* q, void* record);
void* fh_pop(fibque* q);
bool fh_replace_que(fibque* q, fibheap_el* node, float key);
void fh_que_reset(fibque* q);
