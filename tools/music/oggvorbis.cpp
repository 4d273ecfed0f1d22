#include "tools/music/oggvorbis.h"

#include "engine/savefile.h"

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

double TDecodedAudio::Seconds() const
{
  if (Rate <= 0 || Channels <= 0)
    return 0;
  return double(Samples.size() / Channels) / Rate;
}

namespace {

void WritePages(ogg_stream_state& stream, std::vector<uint8_t>& file, bool flush)
{
  ogg_page page;
  while (flush ? ogg_stream_flush(&stream, &page)
               : ogg_stream_pageout(&stream, &page)) {
    file.insert(file.end(), page.header, page.header + page.header_len);
    file.insert(file.end(), page.body, page.body + page.body_len);
  }
}

}  // namespace

std::string WriteOggVorbis(const std::string& path,
                           const std::vector<float>& stereo, int rate,
                           float quality,
                           const std::function<void(double)>& progress)
{
  std::vector<uint8_t> file;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, 2, rate, quality) != 0) {
    vorbis_info_clear(&info);
    return "the encoder rejects the format";
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "TITLE", "mvrk soundtrack");
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  // A fixed serial number keeps the file the same on every run.
  ogg_stream_init(&stream, 0x6d76726b);

  {
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader,
                              &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    WritePages(stream, file, true);
  }

  const size_t frames = stereo.size() / 2;
  const size_t chunk = 4096;
  size_t done = 0;
  bool ended = false;
  while (!ended) {
    const size_t count = std::min(chunk, frames - done);
    if (count == 0) {
      vorbis_analysis_wrote(&dsp, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (size_t i = 0; i < count; ++i) {
        buffer[0][i] = stereo[2 * (done + i)];
        buffer[1][i] = stereo[2 * (done + i) + 1];
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(count));
      done += count;
      if ((done / chunk) % 64 == 0)
        progress(double(done) / frames);
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        WritePages(stream, file, false);
        if (packet.e_o_s)
          ended = true;
      }
    }
  }
  WritePages(stream, file, true);
  progress(1.0);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  std::string error;
  if (!ReplaceFileBytes(path, file.data(), file.size(), error))
    return error;
  return "";
}

namespace {

struct TMemoryFile {
  const uint8_t* Data;
  size_t Size;
  size_t Pos;
};

size_t ReadMemory(void* out, size_t size, size_t count, void* source)
{
  auto* file = static_cast<TMemoryFile*>(source);
  if (size == 0)
    return 0;
  const size_t items = std::min(count, (file->Size - file->Pos) / size);
  if (items == 0)
    return 0;
  std::memcpy(out, file->Data + file->Pos, items * size);
  file->Pos += items * size;
  return items;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence)
{
  auto* file = static_cast<TMemoryFile*>(source);
  ogg_int64_t base = 0;
  if (whence == SEEK_CUR)
    base = static_cast<ogg_int64_t>(file->Pos);
  else if (whence == SEEK_END)
    base = static_cast<ogg_int64_t>(file->Size);
  const ogg_int64_t target = base + offset;
  if (target < 0 || target > static_cast<ogg_int64_t>(file->Size))
    return -1;
  file->Pos = static_cast<size_t>(target);
  return 0;
}

long TellMemory(void* source)
{
  return static_cast<long>(static_cast<TMemoryFile*>(source)->Pos);
}

}  // namespace

std::string DecodeOggVorbis(const uint8_t* data, size_t size,
                            TDecodedAudio& audio)
{
  TMemoryFile memory{data, size, 0};
  const ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
  OggVorbis_File vf;
  if (ov_open_callbacks(&memory, &vf, nullptr, 0, callbacks) != 0)
    return "not an Ogg Vorbis stream";
  const vorbis_info* info = ov_info(&vf, -1);
  audio.Rate = static_cast<int>(info->rate);
  audio.Channels = info->channels;
  audio.Samples.clear();
  std::string error;
  int section = 0;
  for (;;) {
    float** pcm = nullptr;
    const long frames = ov_read_float(&vf, &pcm, 4096, &section);
    if (frames == 0)
      break;
    if (frames < 0) {
      error = "damaged audio data";
      break;
    }
    if (ov_info(&vf, -1)->channels != audio.Channels) {
      error = "the channel count changes inside the stream";
      break;
    }
    for (long i = 0; i < frames; ++i)
      for (int c = 0; c < audio.Channels; ++c)
        audio.Samples.push_back(pcm[c][i]);
  }
  ov_clear(&vf);
  return error;
}

std::string ReadOggVorbis(const std::string& path, TDecodedAudio& audio)
{
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return "cannot open the file";
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  return DecodeOggVorbis(bytes.data(), bytes.size(), audio);
}
