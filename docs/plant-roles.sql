-- The plant database's roles, created by "tarvello-cli records init-plant": give them to logins.
--   tarvello_station  adds records (sees only their ids), reads profiles; cannot change or
--                     delete a record, nor read any station's records
--   tarvello_quality  reads every record and profile
--   tarvello_admin    publishes profiles
-- One login per station, so the server shows which station sent what:
CREATE ROLE station_line1_01 LOGIN IN ROLE tarvello_station;
-- Quality staff:
CREATE ROLE quality_anna LOGIN IN ROLE tarvello_quality;
-- Whoever publishes media profiles:
CREATE ROLE profiles_admin LOGIN IN ROLE tarvello_admin;
-- An existing login gets a role with:
GRANT tarvello_station TO some_login;
-- Passwords are set on the server (\password station_line1_01 in psql) and kept on the station
-- in ~/.pgpass (mode 0600), never in the connection string:
--   db.plant:5432:tarvello:station_line1_01:the-password
