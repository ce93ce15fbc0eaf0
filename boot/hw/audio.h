/* The console's audio interface: its DMA plays 16-bit big-endian stereo
   frames from main memory at 32000 Hz. Two blocks of an audio_stream play in
   turn: when the DMA starts one, the other is refilled and queued. */
#ifndef BOOT_HW_AUDIO_H
#define BOOT_HW_AUDIO_H

#include "../common/audio_stream.h"

/* The interface at 32000 Hz for the DMA's frames, the DMA stopped, its
   interrupt masked (the game loop polls). */
void hw_audio_init(void);
/* Starts the DMA on a short block of silence; the first hw_audio_service
   queues the stream's first block behind it. */
void hw_audio_start(void);
/* Call at least once a block (more often is fine): when the DMA has started
   a block since the last call, fills the other with `frames` output frames
   (see audio_stream_fill), writes it out of the data cache and queues it.
   Returns 1 when it refilled a block. */
int hw_audio_service(audio_stream* s, uint32_t frames);
/* Stops the DMA at once (call when audio_stream_silent says the fade out is
   over). */
void hw_audio_stop(void);

#endif
