// GL test fixture on the headless platform.
#include "tests/gl/gl_fixture.h"

#include "platform/headless_gl.h"

#include <cstdlib>
#include <string>

void GlTest::SetUpTestSuite()
{
    std::string error;
    if (!headless_gl_open(GL_TEST_WIDTH, GL_TEST_HEIGHT, &error)) {
        std::fprintf(stderr, "GL tests need an OpenGL context: %s\n", error.c_str());
        std::abort();
    }
}

void GlTest::TearDownTestSuite()
{
    headless_gl_close();
}

void GlTest::SetUp()
{
    glViewport(0, 0, GL_TEST_WIDTH, GL_TEST_HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, GL_TEST_WIDTH, GL_TEST_HEIGHT, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::vector<uint8_t> GlTest::read_screen()
{
    glFinish();
    return headless_gl_read_rgba(GL_TEST_WIDTH, GL_TEST_HEIGHT);
}

std::array<uint8_t, 4> GlTest::pixel(int x, int y)
{
    std::array<uint8_t, 4> result{};
    glFinish();
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, GL_TEST_HEIGHT - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, result.data());
    glPopClientAttrib();
    return result;
}

int channel_difference(const uint8_t* a, const uint8_t* b)
{
    int worst = 0;
    for (int c = 0; c < 4; ++c)
        worst = std::max(worst, std::abs(int(a[c]) - int(b[c])));
    return worst;
}
