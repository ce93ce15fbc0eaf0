/* When to write the save memory, and the messages when it cannot be kept. */
#include "card_save.h"

void card_save_policy_init(card_save_policy* p) {
    p->shown = 0;
    p->retry_blocked = 0;
    p->failed_frame = 0;
}

int card_save_due(const card_save_policy* p, card_save_moment moment, int changed, uint32_t change_frame,
                  uint32_t now_frame, int busy) {
    if (!changed || busy) return 0;
    if (moment != CARD_SAVE_FRAME) return 1;
    if (p->retry_blocked && change_frame == p->failed_frame) return 0;
    return (uint32_t)(now_frame - change_frame) >= CARD_SAVE_QUIET_FRAMES;
}

int card_save_done(card_save_policy* p, card_save_status status, uint32_t change_frame) {
    if (status == CARD_SAVE_DONE) {
        p->retry_blocked = 0;
        return 1;
    }
    p->retry_blocked = 1;
    p->failed_frame = change_frame;
    return 0;
}

const char* card_save_message(card_save_policy* p, card_save_status status) {
    const char* text;
    uint32_t bit;
    switch (status) {
    case CARD_SAVE_NO_CARD: text = "NO MEMORY CARD IN SLOT A: PROGRESS WILL NOT BE KEPT"; break;
    case CARD_SAVE_FULL: text = "MEMORY CARD IN SLOT A IS FULL: PROGRESS WILL NOT BE KEPT"; break;
    case CARD_SAVE_DAMAGED: text = "MEMORY CARD IN SLOT A IS DAMAGED: PROGRESS WILL NOT BE KEPT"; break;
    case CARD_SAVE_FOREIGN: text = "ANOTHER PROGRAM'S FILE HAS THIS GAME'S NAME: PROGRESS WILL NOT BE KEPT"; break;
    case CARD_SAVE_FAILED: text = "COULD NOT WRITE TO THE MEMORY CARD IN SLOT A"; break;
    case CARD_SAVE_DONE: p->shown = 0; return 0;
    case CARD_SAVE_NO_FILE:
    default: return 0;
    }
    bit = 1u << (unsigned)status;
    if (p->shown & bit) return 0;
    p->shown |= bit;
    return text;
}
