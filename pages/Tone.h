// The failed handshake's tone through the platform's sound system (Qt Multimedia), so that a
// technician looking at the printer hears it wherever the machine can play sound.
#pragma once

#include <QAudioFormat>
#include <QByteArray>

// A sine tone of frequency Hz lasting durationMs as samples of format (any sample rate and
// channel count; unsigned 8-bit, signed 16- or 32-bit or float samples), at half of full scale,
// every channel the same, starting at phase 0. Empty for a format without a rate, channels or
// sample type.
QByteArray ToneSamples(unsigned frequency, unsigned durationMs, const QAudioFormat& format);

// Plays the tone on the default audio output and returns at once; the player goes when the tone
// has played. False when the system has no audio output or the output refuses the tone: the
// caller then falls back to the bell. UI thread only.
bool PlayTone(unsigned frequency, unsigned durationMs);
