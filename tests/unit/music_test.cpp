// The music: the generated modules as DUMB renders them, and the piece each
// screen asks the player for.
#include "shell/music.h"
#include "support/game_fixture.h"
#include "tools/xm_writer.h"

#include <aldumb.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <tuple>

namespace {

constexpr int rate = 22050;

// `seconds` of stereo at full volume from `from` seconds on; `end` gets the
// position the renderer reached.
std::vector<short> render(DUH* duh, double from, double seconds, double* end = nullptr)
{
    DUH_SIGRENDERER* sr = duh_start_sigrenderer(duh, 0, 2, long(from * 65536));
    std::vector<short> out(size_t(seconds * rate) * 2);
    out.resize(2 * duh_render(sr, 16, 0, 1.0f, 65536.0f / rate, long(out.size() / 2), out.data()));
    if (end)
        *end = duh_sigrenderer_get_position(sr) / 65536.0;
    duh_end_sigrenderer(sr);
    return out;
}

double rms(const short* s, size_t n)
{
    double sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / std::max<size_t>(n, 1)) / 32768;
}

// Each piece loads through the registered type, is as long as its part asks,
// sounds from its first seconds and never clips; a looping piece goes on
// past its end without a silent gap. No two pieces are the same music.
TEST(Music, PiecesRenderAndLoop)
{
    dumb_register_dat_xm(DAT_XM_MODULE);
    DATAFILE* data = load_datafile(TARNAVEL_DATA_DIR "/music.dat");
    ASSERT_NE(nullptr, data);
    ASSERT_EQ("", checkDatafile(data, musicCatalogue));
    const struct { int piece; double shortest, longest; bool loops; } cases[] = {
        {MUSIC_THEME, 45, 120, true}, {MUSIC_PLAY, 45, 120, true}, {MUSIC_JINGLE, 2, 8, false}};
    std::vector<std::vector<short>> openings;
    for (const auto& c : cases) {
        DUH* duh = static_cast<DUH*>(data[c.piece].dat);
        const double length = duh_get_length(duh) / 65536.0;
        EXPECT_TRUE(length >= c.shortest && length <= c.longest) << c.piece << ": " << length << " s";
        double reached = 0;
        const std::vector<short> all = render(duh, 0, length + 2, &reached);
        EXPECT_GT(reached, length + 1.9) << c.piece;
        int peak = 0;
        for (short v : all)
            peak = std::max(peak, std::abs(int(v)));
        EXPECT_LT(peak, 32768 * 9 / 10) << c.piece;
        openings.emplace_back(all.begin(), all.begin() + 4 * rate * 2);
        EXPECT_GT(rms(openings.back().data(), openings.back().size()), 0.03) << c.piece;
        const size_t window = rate / 20 * 2; // 50 ms
        for (size_t at = size_t(length - 1) * rate * 2; c.loops && at + window <= all.size(); at += window)
            EXPECT_GT(rms(&all[at], window), 0.003) << c.piece << ": silent at " << at / 2.0 / rate << " s";
    }
    for (size_t i = 0; i < openings.size(); ++i)
        for (size_t j = i + 1; j < openings.size(); ++j) {
            std::vector<short> difference(openings[i].size());
            for (size_t k = 0; k < difference.size(); ++k)
                difference[k] = short((openings[i][k] - openings[j][k]) / 2);
            EXPECT_GT(rms(difference.data(), difference.size()), 0.01) << i << " and " << j;
        }
    unload_datafile(data);
}

// A module from the writer, read back by DUMB: a note plays the sample as
// written, at the rate tuneTo asks for, and goes round its loop. Rendered at
// that rate without interpolation, the output is the sample times one gain.
TEST(Music, TheWriterSamplesReadBackAsWritten)
{
    constexpr int frames = 50, rows = 4;
    xm::Module m;
    m.channels = 1, m.orders = {0};
    xm::Instrument in;
    for (int i = 0; i < frames; ++i)
        in.data.push_back(int16_t((i * 7919) % 24000 - 12000)); // steps of every size and sign
    in.loopLength = frames;
    xm::tuneTo(in, 8363, 261.6255653); // middle C at its own rate
    m.instruments = {in};
    xm::Pattern p;
    p.rows = rows, p.cells.resize(rows);
    p.cells[0] = {49, 1, 64, 0, 0};
    m.patterns = {p};
    const std::vector<uint8_t> bytes = xm::write(m);

    DUMBFILE* f = dumbfile_open_memory(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    DUH* duh = dumb_read_xm(f);
    dumbfile_close(f);
    ASSERT_NE(nullptr, duh);
    const int quality = dumb_resampling_quality;
    dumb_resampling_quality = DUMB_RQ_ALIASING;
    DUH_SIGRENDERER* sr = duh_start_sigrenderer(duh, 0, 1, 0);
    std::vector<short> out(frames * 6);
    ASSERT_EQ(long(out.size()), duh_render(sr, 16, 0, 1.0f, 65536.0f / 8363, long(out.size()), out.data()));
    duh_end_sigrenderer(sr), unload_duh(duh), dumb_resampling_quality = quality;
    // Step by step, since DUMB's click removal lays a slowly fading offset
    // under a note's start.
    auto step = [&](const auto& v, size_t i) { return double(v[i % frames]) - v[(i - 1) % frames]; };
    double dot = 0, norm = 0;
    for (size_t i = 1; i < out.size(); ++i)
        dot += (double(out[i]) - out[i - 1]) * step(in.data, i), norm += step(in.data, i) * step(in.data, i);
    const double gain = dot / norm;
    ASSERT_GT(gain, 0.1);
    for (size_t i = 1; i < out.size(); ++i)
        EXPECT_NEAR(gain * step(in.data, i), double(out[i]) - out[i - 1], 120 + 0.02 * std::abs(gain * step(in.data, i)))
            << i;
}

// A damaged music.dat is named before Allegro's loader meets it, which frees
// memory twice when DUMB refuses an object; a missing file is left to the
// loader's own message.
TEST(Music, DamagedFilesAreNamedBeforeLoading)
{
    std::ifstream in(TARNAVEL_DATA_DIR "/music.dat", std::ios::binary);
    const std::string intact((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string path = testing::TempDir() + "music_test.dat";
    const size_t at = intact.find("Extended Module: ");
    auto damaged = [&](int object) {
        return "File '" + path + "' is damaged: object " + std::to_string(object) +
               " should be a music module.\nReinstall the game's data files.";
    };
    const struct { std::string bytes, want; } cases[] = {
        {intact, ""},
        {intact.substr(0, intact.size() / 2), damaged(1)},
        {intact.substr(0, at) + std::string(17, 'X') + intact.substr(at + 17), damaged(0)}, // the first module's signature
        {intact.substr(0, intact.size() - 1), damaged(2)},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary) << c.bytes;
        if (c.bytes.empty())
            std::remove(path.c_str());
        EXPECT_EQ(c.want, checkMusicFile(path.c_str())) << c.bytes.size();
    }
    std::remove(path.c_str());
}

// A stand-in player: a piece renders a tenth of a second per poll, and one
// played once ends after five seconds. The calls that change what is heard
// are recorded, each with the piece's index in music.dat; a start with its
// volume, and "later" when it begins past the piece's start.
struct Player {
    int piece;
    long position;
    bool once;
    float volume;
};
std::vector<Player> players;
std::vector<std::string> heard;
DATAFILE* const* pieces = nullptr; // the game's musicData

Player& of(AL_DUH_PLAYER* p) { return players[reinterpret_cast<size_t>(p) - 1]; }
void note(const char* what, AL_DUH_PLAYER* p) { heard.push_back(what + std::to_string(of(p).piece)); }

const MusicSeam recordingMusic = {
    [](DUH* duh, long position, float volume, bool once) {
        int piece = 0;
        while ((*pieces)[piece].dat != duh)
            ++piece;
        players.push_back({piece, position, once, volume});
        heard.push_back("start " + std::to_string(piece) + " at " + std::to_string(int(volume * 100)) +
                        (position ? " later" : "") + (once ? " once" : ""));
        return reinterpret_cast<AL_DUH_PLAYER*>(players.size());
    },
    [](AL_DUH_PLAYER* p) { return (of(p).position += 6554) > 5 * 65536 && of(p).once ? 1 : 0; },
    [](AL_DUH_PLAYER* p, float volume) { of(p).volume = volume; },
    [](AL_DUH_PLAYER* p) { return of(p).position; },
    [](AL_DUH_PLAYER* p) { note("pause ", p); },
    [](AL_DUH_PLAYER* p) { note("resume ", p); },
    [](AL_DUH_PLAYER* p) { note("stop ", p); },
};

class MusicRoute : public GameFixture {
protected:
    void SetUp() override { dumb_register_dat_xm_quick(DAT_XM_MODULE), GameFixture::SetUp(); }
    void TearDown() override { GameFixture::TearDown(), musicSeam = allegroMusicSeam, musicOn = false; }
};

// The theme from the intro, the loop from the start of a game, the jingle
// over the wave-completed screen and the loop taken up again after it, the
// theme at game over; stopped with the game. With the music off, no player
// at all.
TEST_F(MusicRoute, EachScreenAsksForItsPiece)
{
    for (const bool on : {true, false}) {
        musicOn = on, rebuildGame(), heard.clear(), players.clear(), testSeam.presents = 0;
        musicSeam = recordingMusic, pieces = &game->musicData;
        ASSERT_EQ(on, game->musicData != nullptr);
        if (on)
            startMusic(game->musicData, 80);
        testSeam.keys[KEY_ESC] = true;
        game->showIntro();
        testSeam.keys[KEY_ESC] = false;
        game->startGame();
        for (int frame = 0; frame < 20; ++frame) // two seconds of play
            pollMusic();
        onEachFrame(5000, [](int) { testSeam.buttons = 1; }); // ends the wave-completed screen
        game->nextWave();
        pauseMusic(), pollMusic(), resumeMusic();
        testSeam.buttons = testSeam.presents = 0, testSeam.keys[KEY_ESC] = true;
        onEachFrame(100, [](int) { testSeam.keyBuffer.assign(2, keyCode(KEY_A, 'a')); });
        game->playGame();
        delete game, game = nullptr;
        const std::vector<std::string> want = {"start 0 at 80", "start 1 at 80", "stop 0", "start 2 at 80 once",
                                               "stop 1", "stop 2", "start 1 at 0 later", "pause 1", "resume 1",
                                               "start 0 at 80", "stop 1", "stop 0"};
        EXPECT_EQ(on ? want : std::vector<std::string>{}, heard) << on;
    }
}

// A wave-completed screen shorter than the jingle: the jingle plays to its
// end, and only then is the loop taken up.
TEST_F(MusicRoute, TheJinglePlaysToItsEnd)
{
    musicOn = true, rebuildGame(), heard.clear(), players.clear();
    musicSeam = recordingMusic, pieces = &game->musicData;
    startMusic(game->musicData, 80);
    game->startGame(), pollMusic(), bonusScore = 0; // "Sorry, no time bonus.": a screen of a few frames
    onEachFrame(5000, [](int) { testSeam.buttons = 1; });
    game->nextWave();
    EXPECT_EQ("start 2 at 80 once", heard.back());
    for (int poll = 0; poll < 60; ++poll)
        pollMusic();
    const auto end = std::find(heard.begin(), heard.end(), "stop 2");
    EXPECT_TRUE(end != heard.end() && std::next(end) != heard.end() && *std::next(end) == "start 1 at 0 later");
}

// On the Options page, with a sound card: Music turned on where the game
// started without it loads music.dat and starts the theme at the music's
// volume, which then follows the page; turned off, it stops. A music.dat
// that cannot be read leaves the setting off; the volume is still taken.
TEST_F(MusicRoute, TheOptionsPageTurnsItOnAndOff)
{
    for (const bool readable : {true, false}) {
        musicOn = false, rebuildGame(), heard.clear(), players.clear(), testSeam.presents = 0;
        musicSeam = recordingMusic, pieces = &game->musicData, game->soundCard = true;
        game->settings.music = false;
        std::ofstream("settings.ini") << "Music 0\n";
        if (!readable) // the link to the build's file replaced by a file cut short
            std::remove("music.dat"), std::ofstream("music.dat") << "slh.ALL.";
        const int keys[] = {KEY_DOWN, KEY_DOWN, KEY_RIGHT, KEY_DOWN, KEY_LEFT, KEY_UP, KEY_LEFT, KEY_ESC};
        bool turnedOn = false;
        onEachFrame(8, [&](int frame) {
            turnedOn = turnedOn || game->settings.music;
            testSeam.keyBuffer.push_back(keyCode(keys[frame - 1], 0));
        });
        game->optionsMenu();
        std::ifstream file("settings.ini");
        const std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ("Music 0\nSound 1\nSoundVolume 100\nWindowed 0\nColor 0\nMusicVolume 60\nMouseSensitivity 1\nScale 1\n"
                  "PadSensitivity 1\nPadFire 0\nPadNextWeapon 1\nPadNextWeapon2 3\nPadFireSpecial 2\nPadPause 7\n"
                  "PadEndGame 6\n", saved);
        const std::vector<std::string> played = {"start 0 at 70", "stop 0"};
        EXPECT_EQ(readable ? played : std::vector<std::string>(), heard);
        EXPECT_EQ(std::make_tuple(readable, readable, false), std::make_tuple(turnedOn, game->musicData != nullptr, musicOn));
        EXPECT_TRUE(!readable || players.at(0).volume == 0.6f);
    }
}

} // namespace
