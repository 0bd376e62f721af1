# Settings shared by the scripts: where the tests' reference service listens.
PSL_TEST_SERVICE_PORT=${PSL_TEST_SERVICE_PORT:-38080}
PSL_TEST_SERVICE_HOST="127.0.0.1:$PSL_TEST_SERVICE_PORT"
PSL_TEST_COMPANY_SITE="company.example"
