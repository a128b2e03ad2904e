#!/usr/bin/python3
"""Private D-Bus buses with a fake systemd-logind for the power tests.

    logind_harness.py FOLDER PID [--with-flags] [--session-manager] [--no-logind]

Starts a bus at FOLDER/system_bus with python-dbusmock's logind template
(calls logged to FOLDER/logind.log) and sessions c1 (the one PID belongs to)
and c2; --with-flags adds the newer *WithFlags methods; --session-manager adds
a second bus at FOLDER/session_bus with a GNOME-style session manager (calls
logged to FOLDER/session_manager.log); --no-logind leaves the system bus empty.
Writes FOLDER/ready (holding the log size at that moment) once everything is
on its bus, or FOLDER/failed with the reason. Stops all of it when stdin
closes, so a test that dies cannot leave these processes behind.
"""
import os
import subprocess
import sys
import time

import dbus

LOGIND = 'org.freedesktop.login1'
MANAGER_PATH = '/org/freedesktop/login1'
MANAGER_IFACE = 'org.freedesktop.login1.Manager'
MOCK_IFACE = 'org.freedesktop.DBus.Mock'


def wait_for(predicate, what, seconds=10.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            if predicate():
                return
        except dbus.exceptions.DBusException:
            pass
        time.sleep(0.01)
    raise RuntimeError('timed out waiting for ' + what)


def connect(address, what, seconds=10.0):
    # The socket file appears before the bus listens on it: retry until it answers.
    deadline = time.monotonic() + seconds
    while True:
        try:
            return dbus.bus.BusConnection(address)
        except dbus.exceptions.DBusException:
            if time.monotonic() >= deadline:
                raise RuntimeError('timed out waiting for ' + what)
            time.sleep(0.01)


def main():
    folder, pid = sys.argv[1], int(sys.argv[2])
    options = set(sys.argv[3:])
    children = []
    output = open(os.path.join(folder, 'harness.out'), 'ab')

    def start(argv, **env):
        environment = dict(os.environ)
        environment.update(env)
        children.append(subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=output, stderr=output,
                                         env=environment))

    def start_bus(name):
        socket = os.path.join(folder, name)
        start(['/usr/bin/dbus-daemon', '--session', '--address=unix:path=' + socket, '--nofork', '--nopidfile'])
        return socket

    try:
        system_socket = start_bus('system_bus')
        system = 'unix:path=' + system_socket
        wait_for(lambda: os.path.exists(system_socket), 'the system bus')
        system_bus = connect(system, 'the system bus')
        logind_log = os.path.join(folder, 'logind.log')
        if '--no-logind' not in options:
            start([sys.executable, '-m', 'dbusmock', '--template', 'logind', '-l', logind_log],
                  DBUS_SYSTEM_BUS_ADDRESS=system)
        if '--session-manager' in options:
            session_socket = start_bus('session_bus')
            session = 'unix:path=' + session_socket
            wait_for(lambda: os.path.exists(session_socket), 'the session bus')
            session_bus = connect(session, 'the session bus')
            start([sys.executable, '-m', 'dbusmock', '--session', '-l',
                   os.path.join(folder, 'session_manager.log'),
                   'org.gnome.SessionManager', '/org/gnome/SessionManager', 'org.gnome.SessionManager'],
                  DBUS_SESSION_BUS_ADDRESS=session)

        if '--no-logind' not in options:
            wait_for(lambda: system_bus.name_has_owner(LOGIND), 'the fake logind')
            mock = dbus.Interface(system_bus.get_object(LOGIND, MANAGER_PATH), MOCK_IFACE)
            uid = os.getuid()
            mock.AddSession('c1', 'seat0', dbus.UInt32(uid), 'tester', True)
            mock.AddSession('c2', 'seat0', dbus.UInt32(uid), 'tester', True)
            mock.AddMethod(MANAGER_IFACE, 'GetSessionByPID', 'u', 'o',
                           f'if args[0] != {pid}:\n'
                           '    raise dbus.exceptions.DBusException("PID not in any session",'
                           ' name="org.freedesktop.login1.NoSessionForPID")\n'
                           'ret = dbus.ObjectPath("/org/freedesktop/login1/session/c1")')
            if '--with-flags' in options:
                for method in ('PowerOff', 'Reboot', 'Suspend', 'Hibernate'):
                    mock.AddMethod(MANAGER_IFACE, method + 'WithFlags', 't', '', '')
        if '--session-manager' in options:
            wait_for(lambda: session_bus.name_has_owner('org.gnome.SessionManager'), 'the session manager')
            manager = dbus.Interface(session_bus.get_object('org.gnome.SessionManager', '/org/gnome/SessionManager'),
                                     MOCK_IFACE)
            manager.AddMethod('', 'Logout', 'u', '', '')

        log_size = os.path.getsize(logind_log) if os.path.exists(logind_log) else 0
        with open(os.path.join(folder, 'ready.tmp'), 'w') as ready:
            ready.write(str(log_size))
        os.rename(os.path.join(folder, 'ready.tmp'), os.path.join(folder, 'ready'))
        sys.stdin.read()
    except Exception as error:  # pylint: disable=broad-except
        with open(os.path.join(folder, 'failed'), 'w') as failed:
            failed.write(str(error))
    finally:
        for child in children:
            child.terminate()
        for child in children:
            try:
                child.wait(timeout=3)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()


if __name__ == '__main__':
    main()
