/* The audio DMA and the audio interface.
   DSP interface, 0xCC005000: the control register at 0x0A (bit 3: the
   audio DMA has started a block, write 1 to clear; bit 4: its interrupt
   mask; bits 5 and 7 are other interrupt flags that a written 1 clears, so
   they are written as 0); the DMA's start address (32-byte aligned, high
   and low halves) at 0x30/0x32, its control at 0x36 (bit 15 plays, bits
   0-14 the length in 32-byte units), the units left at 0x3A. The address
   and length are taken when a block starts, so the next block is queued by
   writing them while the current one plays. Audio interface, 0xCC006C00:
   the control register (bit 6 selects 32 kHz for the DMA's frames).
   The offsets and bits are those of the homebrew SDK and the public
   hardware notes (docs/sound.md); the driver has run in the console
   emulator, not yet on a console. */
#include "audio.h"

#include "hw.h"

#define DSP_CONTROL HW_REG16(0xCC00500Au)
#define AI_DMA_HIGH HW_REG16(0xCC005030u)
#define AI_DMA_LOW HW_REG16(0xCC005032u)
#define AI_DMA_CONTROL HW_REG16(0xCC005036u)
#define AI_CONTROL HW_REG32(0xCC006C00u)

#define DSP_AI_STARTED 0x0008u
#define DSP_AI_MASK 0x0010u
#define DSP_FLAGS 0x00A8u /* the written-1-clears flags */
#define AI_DMA_PLAY 0x8000u
#define AI_DSP_32KHZ 0x0040u

/* A block of silence the DMA starts with: the first block of sound is
   queued behind it by the first refill, so it plays from its start (with
   its fade in) whether the DMA takes a block's address at once or only
   when the current block ends. */
static const int16_t lead_in[16] __attribute__((aligned(32))) = {0};

static void queue(const int16_t* block, uint32_t bytes) {
    hw_dcache_flush(block, bytes);
    const uint32_t address = HW_PHYSICAL(block);
    AI_DMA_HIGH = (uint16_t)(address >> 16);
    AI_DMA_LOW = (uint16_t)(address & 0xFFE0u);
    AI_DMA_CONTROL = (uint16_t)((AI_DMA_CONTROL & AI_DMA_PLAY) | (bytes / 32u));
}

static void clear_started(void) {
    DSP_CONTROL = (uint16_t)((DSP_CONTROL & ~(DSP_FLAGS | DSP_AI_MASK)) | DSP_AI_STARTED);
}

void hw_audio_init(void) {
    AI_DMA_CONTROL = 0;
    AI_CONTROL = AI_DSP_32KHZ;
    clear_started();
}

void hw_audio_start(void) {
    queue(lead_in, sizeof lead_in);
    clear_started();
    AI_DMA_CONTROL = (uint16_t)(AI_DMA_CONTROL | AI_DMA_PLAY);
}

int hw_audio_service(audio_stream* s, uint32_t frames) {
    if ((DSP_CONTROL & DSP_AI_STARTED) == 0) return 0;
    clear_started();
    /* The block that just started keeps playing; the other is free. */
    const int16_t* block = audio_stream_fill(s, frames);
    queue(block, s->block_frames * 4u);
    return 1;
}

void hw_audio_stop(void) {
    AI_DMA_CONTROL = 0;
    clear_started();
}
