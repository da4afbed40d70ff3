# SPDX-License-Identifier: GPL-3.0-or-later
# What a screen reader hears from a real window: Ann's window runs under Xvfb
# with a private D-Bus session and the AT-SPI bus, joined through a proxy to
# a real hub where this script plays Hal, the host, and Bob. The round is
# played by key presses; the script listens on the accessibility bus as a
# screen reader does.
#
# An AT-SPI screen reader speaks an object whose role is "notification" when
# it comes into view (object:state-changed:showing): that is an announcement
# here. The script checks that every kind of news arrives as one, that card
# cells say "called", and that no name-changed event repeats the name its
# object already had. It prints "SKIPPED:" and ends when the bus cannot start.
import os
import re
import select
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

HUB, BINGO = os.environ['KALUMO_HUB'], os.environ['KALUMO_BINGO']
KEY, Y = '0123456789abcdef0123456789abcdef', '\u00ff'
# X key codes of the server's default map.
TAB, SPACE, RIGHT, B, L, F2 = 23, 65, 114, 56, 46, 68
CONTROL_MASK = 4


def skip(why):
    print('SKIPPED: ' + why)
    sys.exit(0)


started = []


def start(args, **options):
    process = subprocess.Popen(args, **options)
    started.append(process)
    return process


def bring_up_buses():
    for tool in ('Xvfb', 'dbus-daemon', '/usr/libexec/at-spi-bus-launcher'):
        if not shutil.which(tool):
            skip(tool + ' is missing (scripts/bootstrap.sh installs it)')
    read, write = os.pipe()
    start(['Xvfb', '-displayfd', str(write), '-nolisten', 'tcp', '-screen', '0', '1280x1024x24'],
          pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    if not select.select([read], [], [], 10)[0]:
        skip('Xvfb did not start')
    os.environ['DISPLAY'] = ':' + os.read(read, 16).decode().strip()
    bus = start(['dbus-daemon', '--session', '--nofork', '--print-address=1'], stdout=subprocess.PIPE, text=True)
    os.environ['DBUS_SESSION_BUS_ADDRESS'] = bus.stdout.readline().strip()
    if not os.environ['DBUS_SESSION_BUS_ADDRESS']:
        skip('no D-Bus session bus')
    start(['/usr/libexec/at-spi-bus-launcher', '--launch-immediately'])
    try:
        import pyatspi  # reads the session bus named above
    except ImportError:
        skip('pyatspi is missing (scripts/bootstrap.sh installs python3-pyatspi)')
    return pyatspi


class Peer:
    """A player over the windows' own link, straight to the hub."""

    def __init__(self, port, name):
        self.socket = socket.create_connection(('127.0.0.1', port))
        self.heard, self.pending = [], b''
        self.socket.sendall(self.frame('I', '0') + self.frame('A', ' Kalumo Bingo', name + ' Kalumo Bingo'))

    @staticmethod
    def frame(kind, *fields):
        body = Y.join(['G', KEY, kind, *fields]).encode()
        return len(body).to_bytes(4, 'big') + body

    def send(self, text):
        self.socket.sendall(self.frame('C', text))

    def read(self):
        while select.select([self.socket], [], [], 0)[0]:
            data = self.socket.recv(65536)
            if not data:
                return
            self.pending += data
        while len(self.pending) >= 4 and len(self.pending) >= 4 + int.from_bytes(self.pending[:4], 'big'):
            size = int.from_bytes(self.pending[:4], 'big')
            self.heard.append(self.pending[4:4 + size].decode().split(Y))
            self.pending = self.pending[4 + size:]


class Proxy(threading.Thread):
    """Carries the window's link to the hub; cut() breaks what it carries."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.port, self.pairs = port, []
        self.server = socket.create_server(('127.0.0.1', 0))
        self.start()

    def run(self):
        while True:
            client = self.server.accept()[0]
            upstream = socket.create_connection(('127.0.0.1', self.port))
            self.pairs.append((client, upstream))
            for a, b in ((client, upstream), (upstream, client)):
                threading.Thread(target=self.pipe, args=(a, b), daemon=True).start()

    @staticmethod
    def pipe(a, b):
        try:
            while data := a.recv(65536):
                b.sendall(data)
        except OSError:
            pass
        for s in (a, b):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def cut(self):
        for pair in self.pairs:
            for s in pair:
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
        self.pairs = []


def main():
    pyatspi = bring_up_buses()
    from gi.repository import Atspi, GLib

    heard, repeated, names = [], [], {}

    def listen(event):
        try:
            if event.type.startswith('object:state-changed:showing'):
                if event.detail1 and event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
                    heard.append(event.source.name)
            elif names.get(event.source) == str(event.any_data):
                repeated.append(str(event.any_data))
            else:
                names[event.source] = str(event.any_data)
        except Exception:  # an object gone before it was read
            pass

    pyatspi.Registry.registerEventListener(listen, 'object:state-changed:showing',
                                           'object:property-change:accessible-name')

    def pump(seconds=0.2):
        end, context = time.time() + seconds, GLib.MainContext.default()
        while time.time() < end:
            while context.pending():
                context.iteration(False)
            for peer in peers:
                peer.read()
            time.sleep(0.02)

    def wait_for(what, test, seconds=8):
        end = time.time() + seconds
        while time.time() < end:
            pump(0.1)
            if (found := test()):
                return found
        raise AssertionError('never came: %s\nheard: %s\nhal: %s' % (what, heard, peers[0].heard[-5:]))

    def hear(words, seconds=8):
        wait_for('"%s"' % words, lambda: any(h == words or h.startswith(words) for h in heard), seconds)

    def key(code, control=False):
        if control:
            Atspi.generate_keyboard_event(CONTROL_MASK, None, Atspi.KeySynthType.LOCKMODIFIERS)
        Atspi.generate_keyboard_event(code, None, Atspi.KeySynthType.PRESSRELEASE)
        if control:
            Atspi.generate_keyboard_event(CONTROL_MASK, None, Atspi.KeySynthType.UNLOCKMODIFIERS)
        pump(0.15)

    def find(root, test):
        return pyatspi.utils.findDescendant(root, lambda node: bool(node.name) and test(node.name), True)

    hub = start([HUB, 'serve', '--listen', '127.0.0.1', '--port', '0'], stderr=subprocess.PIPE, text=True)
    port = None
    while port is None:
        line = hub.stderr.readline()
        if not line:
            raise AssertionError('the hub did not start')
        port = (m := re.search(r'listening on [\d.]+:(\d+)', line)) and int(m.group(1))
    peers = [Peer(port, 'Hal')]
    hal = peers[0]
    proxy = Proxy(port)
    folder = tempfile.mkdtemp()
    env = dict(os.environ, QT_QPA_PLATFORM='xcb', QT_ACCESSIBILITY='1', QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1',
               KALUMO_LINK_HOST='127.0.0.1', KALUMO_REGISTRY=folder + '/registry',
               XDG_CONFIG_HOME=folder, XDG_DATA_HOME=folder, XDG_STATE_HOME=folder)
    # Under the address sanitizer: libxkbcommon-x11 copies X's key names,
    # which are not terminated, with strndup; strict string checks stop it.
    env['ASAN_OPTIONS'] = env.get('ASAN_OPTIONS', '').replace('strict_string_checks=1', 'strict_string_checks=0')
    start([BINGO, 'kalumo-hub', str(proxy.server.getsockname()[1]), KEY, 'Ann', 'Hal'], env=env)

    desktop = pyatspi.Registry.getDesktop(0)
    window = wait_for('Ann\'s window', lambda: next(
        (w for app in desktop if app and app.name == 'kalumo-bingo' for w in app if w.description == 'Ann'), None))
    assert window.name == 'Kalumo Bingo', window.name

    peers.append(Peer(port, 'Bob'))
    bob = peers[1]
    hear('Bob has joined the game.')
    hal.send('Comm;2|ResetMe|10')
    wait_for('a new deal', lambda: find(window, lambda n: n.startswith('Card 1, row 1, column 5: ')))
    line = [int(find(window, lambda n, c=c: n.startswith('Card 1, row 1, column %d: ' % c)).name.split(': ')[1])
            for c in range(1, 6)]
    for n in line[:4]:
        hal.send('Comm;1|%d' % n)
        hear('%d called' % n)
    wait_for('a card cell that says it is called',
             lambda: find(window, lambda n: n == 'Card 1, row 1, column 1: %d, called, not marked' % line[0]))

    # Tab from the chat input reaches the first card (the dark buttons take
    # no focus); Space marks, Right moves along the row.
    key(TAB)
    for _ in range(4):
        key(SPACE)
        key(RIGHT)
    key(SPACE)
    hear('BINGO! is lit: Ctrl+B claims.')
    key(B, control=True)
    claim = wait_for('a claim', lambda: next((m for m in hal.heard if m[-1].startswith('Comm;4|Ann|')), None))
    hal.send('Comm;6|Ann|uncalled|%d' % line[4])
    hear('Your claim did not win: %d has not been called.' % line[4])
    key(L, control=True)
    hear('Last call %d; ' % line[3])
    bob.send('Chat;good luck')
    hear('Bob: good luck')
    hal.send('Comm;1|%d' % line[4])
    hear('%d called' % line[4])
    hal.heard.clear()
    key(B, control=True)
    wait_for('a second claim', lambda: any(m[-1].startswith('Comm;4|Ann|') for m in hal.heard))
    hal.send('Comm;3|Ann|1')
    hear('BINGO! Ann wins, with 1 win')
    peers.remove(bob)
    bob.socket.close()
    hear('Bob has left the game.')
    proxy.cut()
    hear('The link to the game was lost')
    hear('Back in the game.', seconds=15)
    key(F2)
    wait_for('the caller\'s display with the player\'s name', lambda: next(
        (w for app in desktop if app and app.name == 'kalumo-bingo' for w in app
         if w.name == 'Kalumo Bingo: caller\'s display, Ann'), None))

    once = [h for h in heard if h.endswith(' called') or h.startswith('BINGO!')]
    assert len(once) == len(set(once)), 'told twice: %s' % once
    assert not repeated, 'name events that changed nothing: %s' % repeated
    assert claim, claim
    print('heard:', *heard, sep='\n  ')


try:
    main()
finally:
    for process in reversed(started):
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
